// NOEXPS.so: a server library of the program "NOEXP" that lacks the
// GetSvrController export, for the application server's tests.
extern "C" __attribute__((visibility("default"))) int NotTheController() { return 0; }
