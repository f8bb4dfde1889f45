#pragma once

#include <cstdint>
#include <filesystem>
#include <span>
#include <string_view>

namespace kalvor::testing {

// Writes `bytes` to `path`, replacing what was there; throws when it cannot.
void WriteBytes(const std::filesystem::path& path, std::span<const std::uint8_t> bytes);

// A fresh folder under the system's temporary folder, removed with everything in it (permissions
// restored first) when the object goes.
class TempDir {
  public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::filesystem::path& Path() const { return root_; }

    // Writes `bytes` to root/relative, creating the folders on the way. Returns the full path.
    std::filesystem::path Write(const std::filesystem::path& relative,
                                std::span<const std::uint8_t> bytes) const;
    std::filesystem::path WriteText(const std::filesystem::path& relative,
                                    std::string_view text) const;
    std::filesystem::path MakeDir(const std::filesystem::path& relative) const;

  private:
    std::filesystem::path root_;
};

}  // namespace kalvor::testing
