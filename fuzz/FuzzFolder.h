#pragma once

#include <cstdlib>
#include <filesystem>
#include <string>

// A data folder of the fuzz process's own, emptied between inputs so each input starts from
// the same files; in memory when /dev/shm is there.
class FuzzFolder
{
public:
    FuzzFolder()
    {
        const std::string base = std::filesystem::is_directory("/dev/shm") ? "/dev/shm" : "/tmp";
        std::string pattern = base + "/tessaloom-fuzz-XXXXXX";
        if (!::mkdtemp(pattern.data()))
            std::abort();
        m_path = pattern;
    }
    ~FuzzFolder() { std::filesystem::remove_all(m_path); }
    FuzzFolder(const FuzzFolder&) = delete;
    FuzzFolder& operator=(const FuzzFolder&) = delete;

    const std::string& path() const { return m_path; }
    void empty()
    {
        for (const auto& entry : std::filesystem::directory_iterator(m_path))
            std::filesystem::remove_all(entry.path());
    }

private:
    std::string m_path;
};
