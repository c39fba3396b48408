// The Task Scheduler task that starts the protected copy silently, as SYSTEM, when anyone logs on.
#include "app/autostart/logon_task_definition.h"

namespace {

// Text for element content and attribute values alike. A Windows path may hold '&' and '\'',
// never '<', '>' or '"', but escaping all five costs nothing. Non-ASCII bytes pass unchanged:
// the definition is UTF-8 until it is widened as a whole.
std::string XmlEscaped(std::string_view text) {
    std::string escaped;
    escaped.reserve(text.size());
    for (const char c : text) {
        switch (c) {
            case '&':
                escaped += "&amp;";
                break;
            case '<':
                escaped += "&lt;";
                break;
            case '>':
                escaped += "&gt;";
                break;
            case '"':
                escaped += "&quot;";
                break;
            case '\'':
                escaped += "&apos;";
                break;
            default:
                escaped += c;
                break;
        }
    }
    return escaped;
}

// Why each part reads as it does:
// - URI: where the task is registered, in its own folder (the scheduler writes the same).
// - LogonTrigger without a UserId fires at the logon of any user. A computer that is only put to
//   sleep never logs on again: the EventTrigger on the resume event corrects it as it wakes, as
//   at logon (the network may take a few seconds to come back; the silent mode tries again).
// - The principal is the SYSTEM account by its well-known SID (S-1-5-18, the same in every
//   language of Windows); the service-account logon type is given when the task is registered.
//   SYSTEM may set the clock and needs no elevation, so a standard user's logon corrects it too;
//   no password is stored. A service account's principal carries no LogonType element: the
//   scheduler takes the logon type from the registration. (RunLevel is what the scheduler itself
//   writes for such a task; SYSTEM's token is never filtered.)
// - The action runs the protected copy, which only administrators can change: what the task
//   starts with every right on the machine is never a file that a user can replace.
// - No battery, idle or network condition (the program waits for the network itself), no
//   time limit (PT0S: it ends on its own once the clock is set), and a logon or a wake while an
//   earlier copy still waits for the network starts no second one. Priority 6 is normal; the
//   default, 7, runs it below normal with low-priority input and output.
// - The path is quoted so that one holding spaces stays one command; the argument is separate.
constexpr std::string_view kBeforeFolder = R"(<?xml version="1.0" encoding="UTF-16"?>
<Task version="1.2" xmlns="http://schemas.microsoft.com/windows/2004/02/mit/task">
  <RegistrationInfo>
    <URI>\)";
constexpr std::string_view kBetweenFolderAndName = R"(\)";
constexpr std::string_view kBeforeQuery = R"(</URI>
    <Description>自动获取网络时间，校正电脑时间</Description>
  </RegistrationInfo>
  <Triggers>
    <LogonTrigger>
      <Enabled>true</Enabled>
    </LogonTrigger>
    <EventTrigger>
      <Enabled>true</Enabled>
      <Subscription>)";
constexpr std::string_view kBeforeCommand = R"(</Subscription>
    </EventTrigger>
  </Triggers>
  <Principals>
    <Principal id="Author">
      <UserId>S-1-5-18</UserId>
      <RunLevel>HighestAvailable</RunLevel>
    </Principal>
  </Principals>
  <Settings>
    <MultipleInstancesPolicy>IgnoreNew</MultipleInstancesPolicy>
    <DisallowStartIfOnBatteries>false</DisallowStartIfOnBatteries>
    <StopIfGoingOnBatteries>false</StopIfGoingOnBatteries>
    <RunOnlyIfNetworkAvailable>false</RunOnlyIfNetworkAvailable>
    <RunOnlyIfIdle>false</RunOnlyIfIdle>
    <IdleSettings>
      <StopOnIdleEnd>false</StopOnIdleEnd>
      <RestartOnIdle>false</RestartOnIdle>
    </IdleSettings>
    <ExecutionTimeLimit>PT0S</ExecutionTimeLimit>
    <Priority>6</Priority>
    <Enabled>true</Enabled>
  </Settings>
  <Actions Context="Author">
    <Exec>
      <Command>")";
constexpr std::string_view kBeforeArguments = R"("</Command>
      <Arguments>)";
constexpr std::string_view kAfterArguments = R"(</Arguments>
    </Exec>
  </Actions>
</Task>
)";

}  // namespace

std::string LogonTaskXml(std::string_view programPath) {
    std::string xml(kBeforeFolder);
    xml.append(XmlEscaped(kLogonTaskFolder))
        .append(kBetweenFolderAndName)
        .append(XmlEscaped(kLogonTaskName))
        .append(kBeforeQuery)
        .append(XmlEscaped(kResumeEventQuery))
        .append(kBeforeCommand)
        .append(XmlEscaped(programPath))
        .append(kBeforeArguments)
        .append(XmlEscaped(kLogonTaskArguments))
        .append(kAfterArguments);
    return xml;
}
