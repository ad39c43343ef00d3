// PostgreSQL in a build without libpq (Windows): a server address is
// refused with the reason; the SQLite store works as everywhere.
#include "store/database.h"

namespace zelkor {

std::unique_ptr<Database> OpenPostgres(const std::string&, std::string* error, const ConnectOptions&) {
  if (error) *error = "this build of Zelkor has no PostgreSQL client; a shared store on a server needs the Linux build";
  return nullptr;
}

}  // namespace zelkor
