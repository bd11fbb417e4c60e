// MD5, the snapshot's two forms, the solution's command string and the send-log checks.

#include "core/Md5.h"
#include "core/SendLogForm.h"
#include "core/SnapshotText.h"
#include "core/SolutionCommands.h"

#include <gtest/gtest.h>

#include <string>

namespace {

std::wstring DigestOf(const std::string& text, std::size_t piece)
{
    CMd5 md5;
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(text.data());
    for (std::size_t at = 0; at < text.size(); at += piece)
        md5.Update(bytes + at, std::min(piece, text.size() - at));
    return md5.FinishHex();
}

}  // namespace

TEST(Md5, KnownDigestsWhateverTheFeedingPieces)
{
    const std::pair<std::string, std::wstring> vectors[] = {
        {"", L"d41d8cd98f00b204e9800998ecf8427e"},
        {"a", L"0cc175b9c0f1b6a831c399e269772661"},
        {"abc", L"900150983cd24fb0d6963f7d28e17f72"},
        {"message digest", L"f96b697d7cb7938d525a2f31aaf161d0"},
        {"abcdefghijklmnopqrstuvwxyz", L"c3fcd3d76192e4007dfb496cca67e13b"},
        {"12345678901234567890123456789012345678901234567890123456789012345678901234567890",
         L"57edf4a22be3c955ac49da2e2107b67a"},
        {std::string(1000000, 'a'), L"7707d6ae4e027c70eea2a935c2296f21"},
    };
    for (const auto& [text, digest] : vectors) {
        for (const std::size_t piece : {std::size_t{1}, std::size_t{63}, std::size_t{64}, std::size_t{4096}}) {
            if (text.size() > 100000 && piece < 64)
                continue;
            EXPECT_EQ(DigestOf(text, piece), digest) << text.size() << " bytes in pieces of " << piece;
        }
    }
}

TEST(SnapshotForms, EmptyMachineStillHasEveryHeading)
{
    const SnapshotForms forms = FormatSnapshot({});
    EXPECT_EQ(forms.plain, L"\r\nRunning Processes\r\n\r\nHKEY_LOCAL_MACHINE\r\n\r\nHKEY_CURRENT_USER\r\n\r\nBHO Items\r\n");
    EXPECT_EQ(forms.marked, L"\r\n<b>Running Processes</b>\r\n\r\n<b>Startup registry items (LOCAL MACHINE)</b>\r\n"
                            L"\r\n<b>Startup registry items (CURRENT USER)</b>\r\n\r\n<b>BHO Items</b>\r\n");
}

TEST(SnapshotForms, LinesOfEverySection)
{
    SnapshotFacts facts;
    facts.processes = {{L"C:\\Windows\\explorer.exe", 2048, L"0cc175b9c0f1b6a831c399e269772661"},
                       {L"C:\\locked.exe", 12, L""},
                       {L"C:\\gone.exe", -1, L""}};
    facts.machineRun.Add(L"<b>[Audio]</b>, C:\\audio.exe -tray\r\n");
    facts.userRun.Add(L"<b>[Odd]</b>, run <b>this</b>\r\n");
    facts.helperObjects.Add(L"{11111111-2222-3333-4444-555555555555}\r\n");
    const SnapshotForms forms = FormatSnapshot(facts);
    EXPECT_EQ(forms.plain, L"\r\nRunning Processes\r\nC:\\Windows\\explorer.exe\r\nC:\\locked.exe\r\nC:\\gone.exe\r\n"
                           L"\r\nHKEY_LOCAL_MACHINE\r\nValueName= [Audio], C:\\audio.exe -tray\r\n"
                           L"\r\nHKEY_CURRENT_USER\r\nValueName= [Odd], run ValueName= this\r\n"
                           L"\r\nBHO Items\r\n{11111111-2222-3333-4444-555555555555}\r\n");
    EXPECT_EQ(forms.marked,
              L"\r\n<b>Running Processes</b>\r\nC:\\Windows\\explorer.exe, 2048, 0cc175b9c0f1b6a831c399e269772661\r\n"
              L"C:\\locked.exe, 12, \r\nC:\\gone.exe, -1, \r\n"
              L"\r\n<b>Startup registry items (LOCAL MACHINE)</b>\r\n<b>[Audio]</b>, C:\\audio.exe -tray\r\n"
              L"\r\n<b>Startup registry items (CURRENT USER)</b>\r\n<b>[Odd]</b>, run <b>this</b>\r\n"
              L"\r\n<b>BHO Items</b>\r\n{11111111-2222-3333-4444-555555555555}\r\n");
}

TEST(SolutionCommands, RecordsFieldsAndCodes)
{
    struct Case {
        const wchar_t* commands;
        std::vector<std::pair<SolutionAction, std::wstring>> expected;
    };
    const Case cases[] = {
        {L"2%C:\\a.txt;;3%", {{SolutionAction::RemoveFile, L"C:\\a.txt"}}},
        {L";;1%%app.exe%extra;", {{SolutionAction::KillProcess, L"app.exe"}}},
        {L"7%x;0%y;abc%z;-2%w", {}},
        {L"  5%C:\\x.dll; 6%{C}", {{SolutionAction::RemoveDll, L"C:\\x.dll"}, {SolutionAction::RemoveBho, L"{C}"}}},
        {L"4%HKEY_CURRENT_USER:Software\\X:Value;3%C:\\Dir\\",
         {{SolutionAction::RemoveRegistryValue, L"HKEY_CURRENT_USER:Software\\X:Value"},
          {SolutionAction::RemoveFolder, L"C:\\Dir\\"}}},
        {L"99999999999999999999%C:\\a;2", {}},
        {L"", {}},
    };
    for (const Case& c : cases) {
        const std::vector<SolutionCommand> got = SplitSolutionCommands(c.commands);
        ASSERT_EQ(got.size(), c.expected.size()) << c.commands;
        for (std::size_t i = 0; i < got.size(); ++i) {
            EXPECT_EQ(got[i].action, c.expected[i].first) << c.commands;
            EXPECT_EQ(got[i].argument, c.expected[i].second) << c.commands;
        }
    }
}

TEST(SolutionCommands, RegistryArgumentNeedsThreeFields)
{
    const auto value = SplitRegistryArgument(L"HKEY_USERS:S-1-5-21\\Software:Name:ignored");
    ASSERT_TRUE(value);
    EXPECT_EQ(RegistryValueLine(*value), L"4;HKEY_USERS;S-1-5-21\\Software;Name");
    EXPECT_FALSE(SplitRegistryArgument(L"HKEY_CURRENT_USER:Software\\X:"));
    EXPECT_FALSE(SplitRegistryArgument(L"HKEY_CURRENT_USER::Name"));
}

TEST(SolutionCommands, PlainWordsComeFromTheActionLinesAndSayALibraryRuns)
{
    CStringArrayEx actions;
    for (const wchar_t* line : {L"1;42;app.exe", L"2;C:\\a.txt", L"4;HKEY_CURRENT_USER;Software", L"5;C:\\x.dll",
                                L"6;{C}", L"6;{D};C:\\y.dll", L"9;C:\\z"})
        actions.Add(line);
    EXPECT_EQ(DescribeActionLines(actions),
              L"Chiudere il programma in esecuzione app.exe (processo 42)\r\n"
              L"Eliminare il file C:\\a.txt\r\n"
              L"Eseguire il codice della libreria C:\\x.dll perché ne annulli la registrazione, poi eliminarla\r\n"
              L"Rimuovere il componente aggiuntivo del browser {C}\r\n"
              L"Rimuovere il componente aggiuntivo del browser {D}; eseguire il codice della libreria C:\\y.dll "
              L"perché ne annulli la registrazione, poi eliminarla\r\n");
}

TEST(SolutionCommands, ShownReportIsCutAtALineEndAndSaysWhereTheRestIs)
{
    EXPECT_EQ(ShownReport(L"a\r\nb\r\n", 6, L"C:\\r.txt"), L"a\r\nb\r\n");
    EXPECT_EQ(ShownReport(L"aaa\r\nbbb\r\n", 8, L"C:\\r.txt"),
              L"aaa\r\n...\r\nIl rapporto completo è stato salvato in C:\\r.txt\r\n");
    EXPECT_EQ(ShownReport(L"abcdefgh", 4, L""), L"abcd...\r\nIl rapporto completo non è stato salvato.\r\n");
}

TEST(SendLogForm, FirstFieldProblemInOrder)
{
    const std::wstring badEmail = L"Il tuo indirizzo email non è corretto; per favore, verifica e riprova nuovamente.";
    EXPECT_EQ(SendLogFieldProblem(L"", L"", L""), L"Per favore, inserisci il tuo nome per proseguire.");
    EXPECT_EQ(SendLogFieldProblem(L"Anna", L"", L""), L"Per favore, inserisci il tuo indirizzo email per proseguire.");
    EXPECT_EQ(SendLogFieldProblem(L"Anna", L"anna@example", L"x"), badEmail);
    EXPECT_NE(SendLogFieldProblem(L"Anna", L"anna@example.it", L""), badEmail);
    EXPECT_EQ(SendLogFieldProblem(L"Anna", L"anna@example.it", L"Lento"), L"");
    const std::pair<const wchar_t*, bool> emails[] = {
        {L"anna@example.it", true}, {L"a@b.c@whatever", true}, {L"a@@b.c", true},
        {L"anna@example", false},   {L"@example.it", false},   {L"anna@", false},
        {L"anna@.it", false},       {L"anna@example.", false}, {L"@x@y.z", false},
    };
    for (const auto& [email, plausible] : emails)
        EXPECT_EQ(IsPlausibleEmail(email), plausible) << email;
}
