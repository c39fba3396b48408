// The logon task's definition, read back by libxml2, with the event query of its resume trigger.
#include "app/autostart/logon_task_definition.h"

#include <gtest/gtest.h>
#include <libxml/parser.h>
#include <libxml/xpath.h>
#include <libxml/xpathInternals.h>

#include <memory>
#include <string>

namespace {

using XmlDocument = std::unique_ptr<xmlDoc, decltype(&xmlFreeDoc)>;
using XPathContext = std::unique_ptr<xmlXPathContext, decltype(&xmlXPathFreeContext)>;

XmlDocument Parse(const std::string& xml) {
    return XmlDocument(xmlReadMemory(xml.data(), static_cast<int>(xml.size()), nullptr, "UTF-8",
                                     XML_PARSE_NONET | XML_PARSE_IGNORE_ENC),
                       xmlFreeDoc);
}

// An XPath expression over the definition, read as a string; 't' is the task namespace.
std::string Query(xmlXPathContext* context, const char* expression) {
    xmlXPathObject* result = xmlXPathEvalExpression(BAD_CAST expression, context);
    xmlChar* text = xmlXPathCastToString(result);
    std::string value(reinterpret_cast<const char*>(text));
    xmlFree(text);
    xmlXPathFreeObject(result);
    return value;
}

TEST(LogonTaskXml, ParsesBackToTheSystemLogonTaskForTheCopy) {
    const std::string paths[] = {
        R"(C:\Program Files (x86)\Quelan_Tikora\QuelanTikora.exe)",  // the copy on 64-bit Windows
        R"(D:\R&D\Bob's tools\clock.exe)",
        "C:\\\xE5\xB7\xA5\xE5\x85\xB7\\\xE6\x97\xB6\xE9\x92\x9F.exe",  // C:\工具\时钟.exe
    };
    for (const std::string& path : paths) {
        SCOPED_TRACE(path);
        const std::string xml = LogonTaskXml(path);
        // UTF-8 here, widened as a whole when it is handed to the scheduler.
        EXPECT_EQ(xml.rfind(R"(<?xml version="1.0" encoding="UTF-16"?>)", 0), 0u);
        const XmlDocument doc = Parse(xml);
        ASSERT_TRUE(doc);
        const XPathContext context(xmlXPathNewContext(doc.get()), xmlXPathFreeContext);
        xmlXPathRegisterNs(context.get(), BAD_CAST "t",
                           BAD_CAST "http://schemas.microsoft.com/windows/2004/02/mit/task");
        const struct {
            const char* Expression;
            std::string Expected;
        } rows[] = {
            {"string(/t:Task/@version)", "1.2"},
            {"string(//t:RegistrationInfo/t:URI)", "\\Quelan_Tikora\\Quelan_Tikora"},
            // Two triggers: a logon, of anyone, and the resume event.
            {"count(/t:Task/t:Triggers/*)", "2"},
            {"count(/t:Task/t:Triggers/t:LogonTrigger[not(t:UserId)])", "1"},
            {"string(//t:LogonTrigger/t:Enabled)", "true"},
            {"string(//t:EventTrigger/t:Enabled)", "true"},
            // One principal, SYSTEM by its SID, and no group; the action runs as it.
            {"count(//t:Principal)", "1"},
            {"string(//t:Principal/t:UserId)", "S-1-5-18"},
            {"count(//t:Principal/t:GroupId)", "0"},
            {"string(//t:Principal/@id = /t:Task/t:Actions/@Context)", "true"},
            // One action: the quoted path, and the silent argument on its own.
            {"count(/t:Task/t:Actions/*)", "1"},
            {"string(//t:Exec/t:Command)", '"' + path + '"'},
            {"string(//t:Exec/t:Arguments)", "1"},
            // No conditions, no time limit, no second instance.
            {"string(//t:Settings/t:DisallowStartIfOnBatteries)", "false"},
            {"string(//t:Settings/t:StopIfGoingOnBatteries)", "false"},
            {"string(//t:Settings/t:RunOnlyIfIdle)", "false"},
            {"string(//t:Settings/t:ExecutionTimeLimit)", "PT0S"},
            {"string(//t:Settings/t:MultipleInstancesPolicy)", "IgnoreNew"},
            {"string(//t:Settings/t:Priority)", "6"},  // normal, not below
        };
        for (const auto& row : rows) {
            EXPECT_EQ(Query(context.get(), row.Expression), row.Expected) << row.Expression;
        }
        // The subscription is an event log query of its own, escaped into the definition.
        const XmlDocument query =
            Parse(Query(context.get(), "string(//t:EventTrigger/t:Subscription)"));
        ASSERT_TRUE(query);
        const XPathContext queryContext(xmlXPathNewContext(query.get()), xmlXPathFreeContext);
        EXPECT_EQ(Query(queryContext.get(), "string(/QueryList/Query/Select/@Path)"), "System");
        EXPECT_EQ(Query(queryContext.get(), "string(/QueryList/Query/Select)"),
                  "*[System[Provider[@Name='Microsoft-Windows-Power-Troubleshooter'] and "
                  "EventID=1]]");
    }
}

}  // namespace
