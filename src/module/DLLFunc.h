#pragma once
// The library's export and the controller class it makes.
#include "module/DLLBaseCtrller.h"

// A class reference: makes a new controller of the registered class.
using TDLLControllerClass = TDLLBaseController* (*)();

// Set by the initialisation of the concrete controller's unit.
extern TDLLControllerClass DLLControllerClass;

// The library's only export: a new controller for each call; the host
// frees it. Raises when no controller class is registered.
extern "C" __attribute__((visibility("default"))) TDLLBaseController* GetController();
