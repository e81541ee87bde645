#pragma once
// The program's own command-line options, read before the window system starts so that --help,
// --version and a wrong option answer without a display. Qt's single-dash options (-platform,
// -style, ...) are left for Qt; "--" ends the options, and what follows it is never shown to Qt.
#include <cstdio>
#include <string>
#include <vector>

namespace qv::cli {

enum class Action { Run, Help, Version, ListOutputs, Error };

constexpr int kExitUsage = 2;

class CommandLine {
public:
    CommandLine(int argc, char** argv);

    Action GetAction() const { return m_action; }
    // --help, --version and wrong options are answered here; the player then does not start.
    bool Done() const { return m_action != Action::Run; }
    // Prints the answer of a Done() command line and returns the exit status.
    int Answer(std::FILE* out, std::FILE* err) const;

    // What Qt is given: the program name and the arguments before "--" but our own options.
    // Qt takes its options out of this in place.
    int& QtArgc() { return m_nQtArgc; }
    char** QtArgv() { return m_aQtArgv.data(); }
    // After Qt has taken its options: the program name, what Qt left, then the files after "--".
    // Either may be asked first; call them only once Qt has taken its options.
    int PlayerArgc() { return static_cast<int>(PlayerArgs().size()) - 1; }
    char** PlayerArgv() { return PlayerArgs().data(); }

    const std::string& GetBadOption() const { return m_strBadOption; }
    // --new-instance: a player of its own even when one is running in the session.
    bool NewInstance() const { return m_bNewInstance; }

private:
    std::vector<char*>& PlayerArgs();

    Action m_action = Action::Run;
    std::string m_strBadOption;
    bool m_bNewInstance = false;
    std::vector<char*> m_aQtArgv;
    int m_nQtArgc = 0;
    std::vector<char*> m_aAfterOptions;
    std::vector<char*> m_aPlayerArgv;
};

std::string UsageText();
// The product name and version from the program's own version resource, and its copyright line.
std::string VersionText();

}  // namespace qv::cli
