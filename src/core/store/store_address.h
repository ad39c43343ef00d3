// Where a season store is, as the user gives it: the path of a SQLite file,
// or a PostgreSQL server in any form libpq takes: a URL
// ("postgresql://ana@db.example.org/teamdb?sslmode=require") or key=value
// words ("host=db.example.org dbname=teamdb", "service=team"). Passwords
// never leave this module in words meant for people.
#pragma once

#include <string>

namespace zelkor {

bool IsPostgresTarget(const std::string& target);

// The target with every password shown as "***": "user:pw@" in a URL, a
// "password=" in a URL's query, and "password=" among key=value words
// (quoted or not). One helper for every message, log and window.
std::string MaskPassword(const std::string& target);

// The target with its password taken out, and the password (empty when it
// held none): what settings keep, and what goes to the keyring.
std::string WithoutPassword(const std::string& target, std::string* password = nullptr);

// The user a PostgreSQL target names, or empty (libpq then takes the login name).
std::string TargetUser(const std::string& target);

}  // namespace zelkor
