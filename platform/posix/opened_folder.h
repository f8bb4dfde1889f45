#pragma once

#include "platform/opened_folders.h"
#include "platform/posix/unique_fd.h"

namespace kalvor::platform {

class OpenedFolder {
  public:
    explicit OpenedFolder(UniqueFd fd) : fd_(std::move(fd)) {}

    // A descriptor of the folder for the *at calls (O_PATH: it reads and lists nothing).
    int Fd() const { return fd_.Get(); }

  private:
    UniqueFd fd_;
};

}  // namespace kalvor::platform
