// SPDX-License-Identifier: MIT
// Real folder trees and real zip archives, made by the tests in a temporary folder that
// goes away with the test.
#pragma once

#include <zip.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <vector>

namespace orlika::test {

namespace fs = std::filesystem;

// A temporary folder, removed with everything in it at the end of its scope.
class TempFolder {
public:
    TempFolder()
    {
        std::string pattern = (fs::temp_directory_path() / "orlika-test-XXXXXX").string();
        if (!::mkdtemp(pattern.data()))
            throw std::runtime_error("cannot make a temporary folder");
        m_path = pattern;
    }
    ~TempFolder()
    {
        std::error_code ignored;
        // Folders a test made unreadable must be readable again to be removed.
        for (auto it = fs::recursive_directory_iterator(m_path, fs::directory_options::skip_permission_denied, ignored);
             it != fs::recursive_directory_iterator(); it.increment(ignored))
            fs::permissions(it->path(), fs::perms::owner_all, fs::perm_options::add, ignored);
        fs::remove_all(m_path, ignored);
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const fs::path& path() const { return m_path; }
    /// The folder as the catalog names folders: ending in '/'.
    std::string folder() const { return m_path.string() + "/"; }

private:
    fs::path m_path;
};

inline void writeBytes(const fs::path& path, const std::vector<std::uint8_t>& bytes)
{
    fs::create_directories(path.parent_path());
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
}

inline std::vector<std::uint8_t> readBytes(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::vector<std::uint8_t>(std::istreambuf_iterator<char>(in), {});
}

/// One entry of a zip archive the test writes.
struct ZipItem {
    std::string name;
    std::vector<std::uint8_t> bytes;
    bool stored = false;  // kept as it is rather than deflated
};

/// Writes a zip archive through libzip, each entry deflated unless stored.
inline void writeZip(const fs::path& path, const std::vector<ZipItem>& items)
{
    fs::create_directories(path.parent_path());
    int error = 0;
    zip_t* zip = zip_open(path.c_str(), ZIP_CREATE | ZIP_TRUNCATE, &error);
    ASSERT_NE(zip, nullptr) << "cannot create " << path;
    for (const ZipItem& item : items) {
        zip_source_t* source = zip_source_buffer(zip, item.bytes.data(), item.bytes.size(), 0);
        ASSERT_NE(source, nullptr);
        const zip_int64_t index = zip_file_add(zip, item.name.c_str(), source, ZIP_FL_ENC_UTF_8);
        ASSERT_GE(index, 0) << zip_strerror(zip);
        zip_set_file_compression(zip, zip_uint64_t(index), item.stored ? ZIP_CM_STORE : ZIP_CM_DEFLATE, 9);
    }
    // The buffers must live until the archive is written here.
    ASSERT_EQ(zip_close(zip), 0);
}

/// Sets a 16-bit field of the zip entry `name` in each local header and in the central
/// directory, at the given offsets from their signatures.
inline void patchZipEntry(const fs::path& zip, const std::string& name, std::size_t localAt, std::size_t centralAt,
                          std::uint16_t value)
{
    std::vector<std::uint8_t> bytes = readBytes(zip);
    const auto patch = [&](const std::string& signature, std::size_t fieldAt, std::size_t nameAt) {
        for (std::size_t i = 0; i + nameAt + name.size() < bytes.size(); ++i)
            if (std::equal(signature.begin(), signature.end(), bytes.begin() + std::ptrdiff_t(i)) &&
                std::equal(name.begin(), name.end(), bytes.begin() + std::ptrdiff_t(i + nameAt))) {
                bytes[i + fieldAt] = std::uint8_t(value);
                bytes[i + fieldAt + 1] = std::uint8_t(value >> 8);
            }
    };
    patch("PK\x03\x04", localAt, 30);
    patch("PK\x01\x02", centralAt, 46);
    writeBytes(zip, bytes);
}

/// The archive's entry `name` claims a packing method no reader knows.
inline void markUnknownMethod(const fs::path& zip, const std::string& name)
{
    patchZipEntry(zip, name, 8, 10, 15);  // reserved by the format
}

/// The archive's entry `name` says it is encrypted (the flags' first bit).
inline void markEncrypted(const fs::path& zip, const std::string& name)
{
    patchZipEntry(zip, name, 6, 8, 1);
}

/// Every file under a folder with its contents, to tell what a test changed.
inline std::map<std::string, std::vector<std::uint8_t>> snapshot(const fs::path& folder)
{
    std::map<std::string, std::vector<std::uint8_t>> files;
    for (const auto& entry : fs::recursive_directory_iterator(folder))
        if (entry.is_regular_file())
            files[fs::relative(entry.path(), folder).string()] = readBytes(entry.path());
    return files;
}

} // namespace orlika::test
