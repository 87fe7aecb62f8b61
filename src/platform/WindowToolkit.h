// The window toolkit that shows the settings window.
#pragma once

namespace mdb {

class IWindowToolkit {
 public:
  virtual ~IWindowToolkit() = default;
};

}  // namespace mdb
