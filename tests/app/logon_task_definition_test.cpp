// The logon task's definition, read back by libxml2 as the scheduler gets it (UTF-16), and which
// task actions count as this program's.
#include "app/logon_task_definition.h"

#include <gtest/gtest.h>
#include <libxml/encoding.h>
#include <libxml/parser.h>
#include <libxml/xpath.h>
#include <libxml/xpathInternals.h>

#include <memory>
#include <string>

namespace {

struct XmlFree {
    void operator()(xmlDoc* doc) const { xmlFreeDoc(doc); }
    void operator()(xmlXPathContext* context) const { xmlXPathFreeContext(context); }
    void operator()(xmlXPathObject* object) const { xmlXPathFreeObject(object); }
};

// The UTF-8 text widened to UTF-16LE without a byte-order mark, as the Windows side hands it
// over; the parser then has only the bytes and the declaration to go by.
std::string AsUtf16(const std::string& utf8) {
    std::string utf16(utf8.size() * 2, '\0');
    int utf16Bytes = static_cast<int>(utf16.size());
    int utf8Bytes = static_cast<int>(utf8.size());
    const xmlCharEncodingHandler* handler = xmlGetCharEncodingHandler(XML_CHAR_ENCODING_UTF16LE);
    const int status =
        handler->output(reinterpret_cast<unsigned char*>(utf16.data()), &utf16Bytes,
                        reinterpret_cast<const unsigned char*>(utf8.data()), &utf8Bytes);
    EXPECT_GE(status, 0);
    EXPECT_EQ(utf8Bytes, static_cast<int>(utf8.size()));
    utf16.resize(static_cast<size_t>(utf16Bytes));
    return utf16;
}

// XPath expressions over the definition, each read as a string; 't' is the task namespace.
std::string Query(xmlXPathContext* context, const std::string& expression) {
    const std::unique_ptr<xmlXPathObject, XmlFree> result(
        xmlXPathEvalExpression(reinterpret_cast<const xmlChar*>(expression.c_str()), context));
    if (!result) {
        return "<invalid expression>";
    }
    xmlChar* text = xmlXPathCastToString(result.get());
    std::string value(reinterpret_cast<const char*>(text));
    xmlFree(text);
    return value;
}

TEST(LogonTaskXml, ParsesBackToTheElevatedLogonTaskForThePath) {
    const std::string paths[] = {
        R"(C:\Program Files\Quelan Tikora\QuelanTikora.exe)", R"(D:\R&D\Bob's tools\clock.exe)",
        "C:\\\xE5\xB7\xA5\xE5\x85\xB7\\\xE6\x97\xB6\xE9\x92\x9F.exe",  // C:\工具\时钟.exe
    };
    for (const std::string& path : paths) {
        SCOPED_TRACE(path);
        const std::string utf16 = AsUtf16(LogonTaskXml(path));
        const std::unique_ptr<xmlDoc, XmlFree> doc(xmlReadMemory(
            utf16.data(), static_cast<int>(utf16.size()), nullptr, nullptr, XML_PARSE_NONET));
        ASSERT_TRUE(doc);
        // libxml2 reads UTF-16 bytes whatever the declaration says: it must still say UTF-16.
        EXPECT_STREQ(reinterpret_cast<const char*>(doc->encoding), "UTF-16");
        const std::unique_ptr<xmlXPathContext, XmlFree> context(xmlXPathNewContext(doc.get()));
        xmlXPathRegisterNs(context.get(), reinterpret_cast<const xmlChar*>("t"),
                           reinterpret_cast<const xmlChar*>(
                               "http://schemas.microsoft.com/windows/2004/02/mit/task"));
        const struct {
            const char* Expression;
            std::string Expected;
        } rows[] = {
            {"string(/t:Task/@version)", "1.2"},
            // One trigger: a logon, of anyone.
            {"count(/t:Task/t:Triggers/*)", "1"},
            {"count(/t:Task/t:Triggers/t:LogonTrigger[not(t:UserId)])", "1"},
            {"string(//t:LogonTrigger/t:Enabled)", "true"},
            // One principal, the Users group, elevated where it can be; the action runs as it.
            {"count(//t:Principal)", "1"},
            {"count(//t:Principal/t:UserId)", "0"},
            {"string(//t:Principal/t:GroupId)", "S-1-5-32-545"},
            {"string(//t:Principal/t:RunLevel)", "HighestAvailable"},
            {"string(//t:Principal/@id = /t:Task/t:Actions/@Context)", "true"},
            // One action: the quoted path, and the silent argument on its own.
            {"count(/t:Task/t:Actions/*)", "1"},
            {"string(//t:Exec/t:Command)", '"' + path + '"'},
            {"string(//t:Exec/t:Arguments)", "1"},
            // No conditions, no time limit, no second instance.
            {"string(//t:Settings/t:DisallowStartIfOnBatteries)", "false"},
            {"string(//t:Settings/t:StopIfGoingOnBatteries)", "false"},
            {"string(//t:Settings/t:RunOnlyIfIdle)", "false"},
            {"string(//t:Settings/t:RunOnlyIfNetworkAvailable)", "false"},
            {"string(//t:Settings/t:ExecutionTimeLimit)", "PT0S"},
            {"string(//t:Settings/t:MultipleInstancesPolicy)", "IgnoreNew"},
            {"string(//t:Settings/t:Enabled)", "true"},
        };
        for (const auto& row : rows) {
            EXPECT_EQ(Query(context.get(), row.Expression), row.Expected) << row.Expression;
        }
    }
}

TEST(IsLogonTaskActionFor, OnlyThisPathWithTheSilentArgument) {
    const std::string path = R"(C:\Program Files\Quelan Tikora\QuelanTikora.exe)";
    const struct {
        std::string Command, Arguments;
        bool Matches;
    } cases[] = {
        {'"' + path + '"', "1", true},
        {path, "1", true},
        {R"("D:\Moved\QuelanTikora.exe")", "1", false},
        {R"("c:\program files\quelan tikora\quelantikora.exe")", "1", false},
        {'"' + path, "1", false},
        {'"' + path + '"', "", false},
        {'"' + path + '"', "1 ", false},
        {'"' + path + '"', "2", false},
        {"", "", false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(IsLogonTaskActionFor(c.Command, c.Arguments, path), c.Matches)
            << c.Command << " / " << c.Arguments;
    }
}

}  // namespace
