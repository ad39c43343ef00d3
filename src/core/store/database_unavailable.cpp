// The database clients of a build without them (the Windows core and CLI
// cross-built with MinGW-w64 without SQLite): the store answers that it is
// not there, and an offload keeps its backup and lists it for a later
// import. (PostgreSQL: postgres_unavailable.cpp.)
#include "store/database.h"

namespace zelkor {

namespace {
const char kNotInThisBuild[] = "this build of Zelkor has no season store";
}

bool StoreBuiltIn() { return false; }

std::unique_ptr<Database> OpenSqlite(const std::string&, std::string* error) {
  if (error) *error = kNotInThisBuild;
  return nullptr;
}

bool UseStoreJournal(Database&, std::string*) { return true; }

}  // namespace zelkor
