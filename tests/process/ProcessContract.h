#pragma once
// The process suites' fixture: a copy of the recorder program (tests/process/recorder) in a
// temporary folder at the front of the path, the system's process backend installed, and the
// recorder's lines read back once it has finished.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "platform/Installed.h"
#include "tests/support/FilesTempDir.h"
#include "tests/support/SystemBackends.h"

namespace qvtest {

// Waits for a condition that only another process can bring about; fails after ten seconds.
template <typename Condition>
bool Eventually(Condition condition) {
    for (int i = 0; i < 1000 && !condition(); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    return condition();
}

inline void SetVariable(const char* name, const std::string& value) {
#ifdef _WIN32
    ::_putenv_s(name, value.c_str());
#else
    ::setenv(name, value.c_str(), 1);
#endif
}

}  // namespace qvtest

class ProcessContract : public ::testing::Test {
protected:
#ifdef _WIN32
    static constexpr char kSeparator = ';';
    static constexpr const char* kRecorderName = "recorder.exe";
#else
    static constexpr char kSeparator = ':';
    static constexpr const char* kRecorderName = "recorder";
#endif

    void SetUp() override {
        std::filesystem::copy_file(QV_RECORDER, m_dir / kRecorderName);
        qvtest::SetVariable("QV_RECORD", m_record);
        qvtest::SetVariable("PATH", m_dir.Path() + kSeparator + m_path);
    }
    void TearDown() override {
        qvtest::SetVariable("PATH", m_path);
    }

    // The recorder's lines once it has finished (folder, then each argument in brackets); the
    // record is removed, so that the next start writes a new one.
    std::vector<std::string> Record() {
        namespace fs = std::filesystem;
        std::vector<std::string> lines;
        if (!qvtest::Eventually([&] { return fs::exists(m_record); })) return lines;
        {
            std::ifstream in(m_record);
            for (std::string line; std::getline(in, line);) lines.push_back(line);
        }
        fs::remove(m_record);
        return lines;
    }

    qvtest::SystemProcess m_backend;
    qv::Installed<qv::IProcess, qv::InstallProcess> m_installed{m_backend};
    qvtest::TempDir m_dir;
    std::string m_path = std::getenv("PATH") ? std::getenv("PATH") : "";
    std::string m_record = m_dir / "record.txt";
};
