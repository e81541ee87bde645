#include "app/linux/CommandLine.h"

#include <cstring>

#include "companion/VersionInfo.h"
#include "platform/Installed.h"
#include "platform/files.h"
#include "platform/posix/Version.h"
#include "platform/posix/files_posix.h"
#include "platform/sequencer/Outputs.h"
#include "platform/version.h"

namespace qv::cli {

namespace {

bool Is(const char* arg, const char* option) {
    return std::strcmp(arg, option) == 0;
}

}  // namespace

CommandLine::CommandLine(int argc, char** argv) {
    m_aQtArgv.push_back(argc > 0 ? argv[0] : const_cast<char*>("quavel"));
    bool bOptions = true;
    for (int i = 1; i < argc; ++i) {
        char* arg = argv[i];
        if (!arg) continue;
        if (!bOptions) {
            m_aAfterOptions.push_back(arg);
        } else if (Is(arg, "--")) {
            bOptions = false;
        } else if (Is(arg, "--help")) {
            // The first of --help and --version wins, as it would if the user had typed only it.
            if (m_action == Action::Run) m_action = Action::Help;
        } else if (Is(arg, "--version")) {
            if (m_action == Action::Run) m_action = Action::Version;
        } else if (Is(arg, "--list-outputs")) {
            if (m_action == Action::Run) m_action = Action::ListOutputs;
        } else if (Is(arg, "--new-instance")) {
            m_bNewInstance = true;
        } else if (std::strncmp(arg, "--", 2) == 0) {
            // A mistyped option must not be taken for a file and silently skipped.
            if (m_strBadOption.empty()) m_strBadOption = arg;
        } else {
            m_aQtArgv.push_back(arg);
        }
    }
    if (!m_strBadOption.empty()) m_action = Action::Error;
    m_nQtArgc = static_cast<int>(m_aQtArgv.size());
    // Qt's argv ends with a null pointer like main's.
    m_aQtArgv.push_back(nullptr);
}

std::vector<char*>& CommandLine::PlayerArgs() {
    if (m_aPlayerArgv.empty()) {
        m_aPlayerArgv.assign(m_aQtArgv.begin(), m_aQtArgv.begin() + m_nQtArgc);
        m_aPlayerArgv.insert(m_aPlayerArgv.end(), m_aAfterOptions.begin(), m_aAfterOptions.end());
        m_aPlayerArgv.push_back(nullptr);
    }
    return m_aPlayerArgv;
}

int CommandLine::Answer(std::FILE* out, std::FILE* err) const {
    switch (m_action) {
        case Action::Help:
            std::fputs(UsageText().c_str(), out);
            return 0;
        case Action::Version:
            std::fputs(VersionText().c_str(), out);
            return 0;
        case Action::ListOutputs:
            std::fputs(qv::seq::ListOutputs().c_str(), out);
            return 0;
        case Action::Error:
            std::fprintf(err, "quavel: unknown option '%s'\n%s", m_strBadOption.c_str(),
                         UsageText().c_str());
            return kExitUsage;
        case Action::Run:
            break;
    }
    return 0;
}

std::string UsageText() {
    return "Usage: quavel [OPTION]... [--] [FILE|FOLDER|LIST.qvl]...\n"
           "Plays Standard MIDI Files from a play list; the files, folders and play lists given\n"
           "are added to the list and playing starts at the first of them.\n"
           "\n"
           "  --help          show this help and exit\n"
           "  --version       show the version and exit\n"
           "  --list-outputs  list the sound outputs QUAVEL_MIDI_OUT can choose, and exit\n"
           "  --new-instance  start a player of its own instead of handing the files to the\n"
           "                  one already running\n"
           "  --              end of options: what follows is a file even if it starts with -\n"
           "\n"
           "Qt's options (such as -platform offscreen) are accepted before \"--\".\n"
           "Environment: QUAVEL_MIDI_OUT (fluidsynth, wav:PATH, null, alsa, alsa:CLIENT:PORT),\n"
           "QUAVEL_SOUNDFONT, QUAVEL_REGISTRY_FILE. See quavel(1).\n";
}

std::string VersionText() {
    // Read through the same seams the About box uses, so both show what the resource holds.
    PosixFileSystem files;
    Installed<IFileSystem, InstallFileSystem> installFiles(files);
    PosixVersion version;
    Installed<IVersion, InstallVersion> installVersion(version);
    CVersionInfo info;
    CString strName;
    CString strCopyright;
    info.QueryString("ProductName", strName);
    info.QueryString("LegalCopyright", strCopyright);
    std::string text =
        std::string(strName) + " " + std::string(info.FormatProductVersion(1, 1, 1, 0)) + "\n";
    if (!strCopyright.IsEmpty()) text += std::string(strCopyright) + "\n";
    return text;
}

}  // namespace qv::cli
