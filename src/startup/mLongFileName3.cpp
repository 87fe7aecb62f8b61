#include "startup/mLongFileName3.h"

namespace mdb {

// PLACEHOLDER until long path expansion lands: the path as given.
std::wstring GetLongFileName(IHost&, const std::wstring& path) { return path; }

}  // namespace mdb
