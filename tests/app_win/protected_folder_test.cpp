// The check of the copy's folder, of Program Files and of the copy itself, on descriptors such as
// Windows gives back (Wine keeps none of its own: it makes them up from the Unix permissions), and
// the texts Event Viewer reads from the program file.
#include "app/autostart/win/protected_folder.h"

#include <gtest/gtest.h>

#include <sddl.h>

#include <algorithm>
#include <string>
#include <vector>

#include "app/autostart/event_entries.h"
#include "app/autostart/win/protected_copy.h"
#include "app/win/app_info.h"
#include "core/win/wide_text.h"
#include "tests/app_win/run_key.h"
#include "tests/support/message_pump.h"

namespace {

// The owner of the folder it lies in, trusted as owner and writer: it can change all in it.
constexpr wchar_t kProgramFilesOwner[] = L"S-1-5-21-1-2-3-1000";

TEST(ProtectedFolder, TrustsOnlyWhatNoOtherAccountCanChange) {
    const struct {
        const wchar_t* Sddl;
        bool Trusted;
    } cases[] = {
        {kProtectedFolderSddl, true},  // what the program makes
        {kProtectedFileSddl, true},
        {L"O:SYD:P(A;OICI;FA;;;SY)(A;OICI;FA;;;BA)(A;OICI;FRFX;;;BU)", true},
        // As an older version left it, inheriting from Program Files.
        {L"O:BAD:AI(A;ID;FA;;;S-1-5-80-956008885-3418522649-1831038044-1853292631-2271478464)"
         L"(A;ID;0x1301bf;;;SY)(A;ID;0x1301bf;;;BA)(A;ID;0x1200a9;;;BU)(A;OICIIOID;GA;;;CO)",
         true},
        {L"O:S-1-5-21-1-2-3-1000D:(A;OICI;FA;;;SY)(A;OICI;FA;;;S-1-5-21-1-2-3-1000)"
         L"(A;OICI;0x1200a9;;;WD)",
         true},  // Program Files' owner, as Wine shows a folder
        {L"O:BAD:P(A;;FA;;;BA)(A;OICIIO;FA;;;BU)(D;;FA;;;WD)", true},  // passed on, denied
        {L"O:BUD:P(A;;FA;;;SY)(A;;FA;;;BA)", false},                   // Users own it
        {L"O:AND:(A;OICI;FA;;;SY)(A;OICI;FA;;;AN)(A;OICI;0x1200a9;;;WD)",
         false},                                                // Wine: Unix nobody's
        {L"O:BAD:P(A;;FA;;;BA)(A;OICI;0x1301ff;;;WD)", false},  // everyone may change it (0777)
        {L"O:BAD:P(A;;FA;;;BA)(A;;0x2;;;AU)", false},           // add a file
        {L"O:BAD:P(A;;FA;;;BA)(A;;0x40;;;BU)", false},          // delete what it holds
        {L"O:BAD:P(A;;FA;;;BA)(A;;SD;;;BU)", false},            // delete it
        {L"O:BAD:P(A;;FA;;;BA)(A;;WD;;;BU)", false},            // change its permissions
        {L"O:BAD:P(A;;FA;;;BA)(A;;WO;;;BU)", false},            // take ownership
        {L"O:BAD:P(A;;FA;;;BA)(A;;GW;;;IU)", false},            // unmapped generic write
        {L"O:BA", false},                                       // no list: everyone may
        // Program Files as Windows has it: what passes on to new folders does not count.
        {L"O:S-1-5-80-956008885-3418522649-1831038044-1853292631-2271478464D:PAI"
         L"(A;;FA;;;S-1-5-80-956008885-3418522649-1831038044-1853292631-2271478464)"
         L"(A;OICIIO;GA;;;S-1-5-80-956008885-3418522649-1831038044-1853292631-2271478464)"
         L"(A;;0x1301bf;;;SY)(A;OICIIO;GA;;;SY)(A;;0x1301bf;;;BA)(A;OICIIO;GA;;;BA)"
         L"(A;;0x1200a9;;;BU)(A;OICIIO;GXGR;;;BU)(A;OICIIO;GA;;;CO)(A;;0x1200a9;;;AC)",
         true},
        {L"O:SYD:AI(A;;FA;;;SY)(A;;0x1301bf;;;BU)", false},  // Program Files that users may change
        // The copy: made by the program, inherited from its folder, as Wine shows a file.
        {L"O:BAD:AI(A;ID;FA;;;SY)(A;ID;FA;;;BA)(A;ID;0x1200a9;;;BU)", true},
        {L"O:S-1-5-21-1-2-3-1000D:(A;;FA;;;SY)(A;;FA;;;S-1-5-21-1-2-3-1000)(A;;0x1200a9;;;WD)",
         true},
        {L"O:BAD:P(A;;FA;;;BA)(A;;0x4;;;BU)", false},      // append to it
        {L"O:BAD:P(A;;FA;;;BA)(A;;0x100;;;BU)", false},    // change its attributes
        {L"O:S-1-5-21-9-9-9-1001D:P(A;;FA;;;SY)", false},  // a user owns it: may change its list
    };
    PSID trustedOwner = nullptr;
    ASSERT_TRUE(ConvertStringSidToSidW(kProgramFilesOwner, &trustedOwner));
    for (const auto& c : cases) {
        SCOPED_TRACE(Narrow(c.Sddl));
        const UniqueLocalMemory descriptor = DescriptorFromSddl(c.Sddl);
        ASSERT_TRUE(descriptor);
        EXPECT_EQ(IsProtectedSecurity(descriptor.get(), trustedOwner), c.Trusted);
    }
    LocalFree(trustedOwner);

    // What the program makes inherits nothing, so Program Files' entries never reach it.
    for (const wchar_t* made : {kProtectedFolderSddl, kProtectedFileSddl}) {
        SECURITY_DESCRIPTOR_CONTROL control = 0;
        DWORD revision = 0;
        ASSERT_TRUE(
            GetSecurityDescriptorControl(DescriptorFromSddl(made).get(), &control, &revision));
        EXPECT_TRUE(control & SE_DACL_PROTECTED);
    }
}

// Program Files, or the copy itself, that others may change holds no copy to run as SYSTEM: the
// copy is not current, and a copy is refused in such a Program Files, made anew over such a file.
TEST(ProtectedCopy, IsRefusedWhereOthersMayChangeItOrProgramFiles) {
    const AutostartCleanup cleanup;
    const std::string program = Narrow(ModuleFilePath(nullptr));
    ASSERT_TRUE(InstallProtectedCopy(program));
    const std::wstring programFiles = CopyFolder().substr(0, CopyFolder().rfind(L'\\'));
    for (const std::wstring& opened : {programFiles, CopyPath()}) {
        SCOPED_TRACE(Narrow(opened));
        // Until the mode shows (RunUnixCommandOn).
        RunUnixCommandOn(L"chmod o+w", opened);
        EXPECT_TRUE(PumpUntil([&] { return !ProtectedCopyIsCurrent(program); }, 3000));
        const bool installed = InstallProtectedCopy(program);
        RunUnixCommandOn(L"chmod o-w", opened);
        EXPECT_EQ(installed, opened == CopyPath());
        EXPECT_TRUE(PumpUntil([&] { return ProtectedCopyIsCurrent(program); }, 3000));
    }
}

// The program file as Windows names it: Wine maps the root of the Unix file system to Z:.
std::wstring ProgramFile() {
    std::wstring path = L"Z:" + Widen(TIKORA_PROGRAM_FILE);
    std::replace(path.begin(), path.end(), L'/', L'\\');
    return path;
}

// Event Viewer fills the message of an entry's number with its strings, from the message table
// of the file the source names, in whatever display language Windows has.
TEST(EventMessages, TheProgramFileHoldsEveryEntrysText) {
    const HMODULE program = LoadLibraryExW(
        ProgramFile().c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
    ASSERT_NE(program, nullptr);
    const struct {
        EventEntry Entry;
        std::string Phrase;
    } cases[] = {
        {SilentRunEntry({true, 0, 1.2345, true, 3.9, Agreement::Alone, {}}), "已按网络时间校正"},
        {SilentRunEntry({false, 1314, 7.0, false, 7.8, Agreement::Alone, {}}),
         "Windows 拒绝更改电脑时间"},
        {NoAnswerEntry(600.0), "没有时间源回答"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Entry.MessageId);
        std::vector<std::wstring> strings;
        for (const std::string& text : c.Entry.Strings) {
            strings.push_back(Widen(text));
        }
        std::vector<DWORD_PTR> arguments;
        for (const std::wstring& text : strings) {
            arguments.push_back(reinterpret_cast<DWORD_PTR>(text.c_str()));
        }
        wchar_t* formatted = nullptr;
        ASSERT_NE(
            FormatMessageW(FORMAT_MESSAGE_FROM_HMODULE | FORMAT_MESSAGE_ARGUMENT_ARRAY |
                               FORMAT_MESSAGE_ALLOCATE_BUFFER,
                           program, c.Entry.MessageId, 0, reinterpret_cast<wchar_t*>(&formatted), 0,
                           reinterpret_cast<va_list*>(arguments.data())),
            0u);
        const std::string text = Narrow(formatted);
        LocalFree(formatted);
        EXPECT_NE(text.find(c.Phrase), std::string::npos) << text;
        for (const std::string& inserted : c.Entry.Strings) {
            EXPECT_NE(text.find(inserted), std::string::npos) << inserted << " in " << text;
        }
    }
    FreeLibrary(program);
}

}  // namespace
