// The database engine that tells a database's version.
#pragma once

namespace mdb {

class IDatabaseEngine {
 public:
  virtual ~IDatabaseEngine() = default;
};

}  // namespace mdb
