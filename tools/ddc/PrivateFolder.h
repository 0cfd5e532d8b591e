#pragma once

#include <filesystem>
#include <optional>
#include <string>

namespace lumora::ddc {

// A folder only this user can write, for the files the tools keep between runs. Files in it are
// read only when they are regular files of this user's of sane size, without following links and
// without blocking; they are written through a temporary file made exclusively beside them.
class PrivateFolder {
public:
    // The folder, made with mode 0700 when missing (its parent too, one level); nothing when it
    // is a link, not a folder or not this user's.
    static std::optional<PrivateFolder> open(const std::filesystem::path& folder);

    // $XDG_CACHE_HOME/lumora, else ~/.cache/lumora with the home from $HOME or, without it, from
    // the password database; nothing when there is no home: never a shared folder.
    static std::optional<std::filesystem::path> cacheLocation();
    // $XDG_RUNTIME_DIR/lumora, else the cache location.
    static std::optional<std::filesystem::path> runtimeLocation();

    // Nothing when the file is missing, unsafe or larger than `limit` bytes.
    std::optional<std::string> read(const std::string& name, size_t limit) const;
    // Replaces the file whole; false when it could not.
    bool write(const std::string& name, const std::string& text) const;

    const std::filesystem::path& path() const { return m_path; }

private:
    explicit PrivateFolder(std::filesystem::path path) : m_path(std::move(path)) {}

    std::filesystem::path m_path;
};

} // namespace lumora::ddc
