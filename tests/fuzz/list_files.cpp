// Arbitrary entries (path and title, cut from the input at zero bytes) saved as a play list with
// its title file, read back into a second player, and shuffled: what the model accepted comes
// back whole, in order and with its title, and every entry's texts stay together.
#include "app/PlayerDlg.h"
#include "platform/Installed.h"
#include "platform/headless/HeadlessWindowSystem.h"
#include "platform/rand.h"
#include "res/resource.h"
#include "tests/fuzz/FuzzSupport.h"

namespace {

// What the title file keeps of a title: each CR LF pair as one blank.
std::string AsSaved(std::string title) {
    for (std::size_t at = 0; (at = title.find("\r\n", at)) != std::string::npos;)
        title.replace(at, 2, " ");
    return title;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string& folder = FuzzFolder();
    // A fresh window system each run, as it keeps a record of every dialog it answered. A message
    // box (a failed save) is a finding.
    qv::headless::HeadlessWindowSystem windows;
    windows.SetFailureHandler([](const std::string&) { __builtin_trap(); });
    qv::Installed<qv::IWindowSystem, qv::InstallWindowSystem> installed(windows);
    std::string_view input = Text(data, size);
    std::vector<std::string> fields;
    for (std::size_t start = 0; start <= input.size() && fields.size() < 64;) {
        std::size_t end = std::min(input.find('\0', start), input.size());
        fields.emplace_back(input.substr(start, end - start));
        start = end + 1;
    }
    const std::string list = folder + "/list.qvl";
    CPlayerDlg saver;
    saver.m_settings.Value(IDS_YESSAVETITLE).SetDword(1);
    // Only titled entries: a path is never opened, whatever it names.
    for (std::size_t i = 0; i + 1 < fields.size(); i += 2)
        if (!fields[i + 1].empty()) saver.m_list.Add(fields[i].c_str(), fields[i + 1].c_str());
    if (saver.m_list.GetSize() == 0) return 0;
    windows.AnswerFileDialog(list);
    saver.OnSave();
    Check(CPlayerDlg::IsTitleFileCurrent(list.c_str(), (folder + "/list.qvt").c_str()));

    CPlayerDlg reader;
    reader.m_settings.Value(IDS_YESSAVETITLE).SetDword(1);
    Check(reader.AddPath(list.c_str()) == saver.m_list.GetSize());
    for (int i = 0; i < saver.m_list.GetSize(); ++i) {
        Check(reader.m_list.m_aPaths[i] == saver.m_list.m_aPaths[i]);
        Check(reader.m_list.m_aTitles[i].Str() == AsSaved(saver.m_list.m_aTitles[i].Str()));
    }
    qv::SeedRand(static_cast<std::uint32_t>(size));
    reader.m_list.Shuffle();
    for (int i = 0; i < reader.m_list.GetSize(); ++i) {
        CString name;
        CPlayList::MakeFileName(reader.m_list.m_aPaths[i], name);
        Check(name == reader.m_list.m_aNames[i]);
    }
    std::filesystem::remove(list);
    std::filesystem::remove(folder + "/list.qvt");
    return 0;
}
