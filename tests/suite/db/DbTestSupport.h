#pragma once
// Small helpers for the company database tests: run a statement, read rows.
#include <string>
#include <utility>
#include <vector>

#include "platform/data/ADODB.h"

namespace dbtest {

inline long long Exec(TKvADOConnection& conn, const std::string& sql,
                      const std::vector<std::pair<std::string, Variant>>& params = {})
{
    TKvADOQuery q;
    q.SetConnection(&conn);
    q.SQL.SetText(sql);
    for (const auto& [name, value] : params) q.ParamByName(name) = value;
    return q.ExecSQL();
}

// Every row of the statement, each as the texts of its columns.
inline std::vector<std::vector<std::string>> Rows(TKvADOConnection& conn, const std::string& sql,
                                                  const std::vector<std::pair<std::string, Variant>>& params = {})
{
    TKvADOQuery q;
    q.SetConnection(&conn);
    q.SQL.SetText(sql);
    for (const auto& [name, value] : params) q.ParamByName(name) = value;
    q.Open();
    std::vector<std::vector<std::string>> rows;
    for (; !q.Eof(); q.Next()) {
        std::vector<std::string> row;
        for (int i = 0; i < q.FieldCount(); ++i) row.push_back(q.Fields(i).AsString());
        rows.push_back(std::move(row));
    }
    return rows;
}

// The single value of a statement that returns one row of one column.
inline std::string Value(TKvADOConnection& conn, const std::string& sql,
                         const std::vector<std::pair<std::string, Variant>>& params = {})
{
    const auto rows = Rows(conn, sql, params);
    return rows.empty() || rows[0].empty() ? std::string("<no row>") : rows[0][0];
}

inline void Connect(TKvADOConnection& conn, const std::string& file)
{
    conn.LoginPrompt = false;
    conn.SetConnectionString("Provider=SQLITE;Data Source=" + file);
    conn.Open();
}

} // namespace dbtest
