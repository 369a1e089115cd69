#pragma once
// A private folder for a test's files, removed with everything in it when the test ends, and the
// few byte-exact file helpers the settings tests share. Runs natively and under Wine.
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <random>
#include <string>
#include <system_error>

namespace pelto::test {

class TempDir {
public:
    TempDir() {
        std::random_device rd;
        for (int i = 0; i < 100; ++i) {
            m_path = std::filesystem::temp_directory_path() / ("pelto-test-" + std::to_string(rd()));
            if (std::filesystem::create_directory(m_path)) return;
        }
        throw std::runtime_error("no temporary folder");
    }
    ~TempDir() {
        std::error_code ec;
        std::filesystem::permissions(m_path, std::filesystem::perms::owner_all,
                                     std::filesystem::perm_options::add, ec);
        std::filesystem::remove_all(m_path, ec);
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::filesystem::path& path() const { return m_path; }
    // A file path inside the folder, as the settings code takes it.
    std::string File(const std::string& name) const { return (m_path / name).string(); }

private:
    std::filesystem::path m_path;
};

inline std::string ReadBytes(const std::filesystem::path& p) {
    std::ifstream in(p, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline void WriteBytes(const std::filesystem::path& p, const std::string& bytes) {
    std::ofstream out(p, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

inline size_t CountEntries(const std::filesystem::path& dir) {
    size_t n = 0;
    for ([[maybe_unused]] const auto& e : std::filesystem::directory_iterator(dir)) ++n;
    return n;
}

}  // namespace pelto::test
