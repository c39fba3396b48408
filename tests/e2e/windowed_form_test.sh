#!/usr/bin/env bash
# End-to-end tests of the windowed mode: the real program under Wine with a private Xvfb, its
# three built-in time sources pointed at a local server, the zone UTC+1, the host's clock
# untouched (Wine refuses to move it and logs the change asked for). A probe program finds the
# form by its class name, reads the read-outs and the button, clicks it and closes the form.
#
#   windowed_form_test.sh SCENARIO PROGRAM PROBE BARE_PROGRAM
#
# SCENARIO:
#   no_display           no X display: the form cannot be made; exit status 0, no hang
#   offline              nothing listens: "获取中", the computer read-out ticks, button enabled;
#                        when a source comes up, the network time appears within the next try
#                        (every 5 s)
#   offset_and_click     network read-out = computer + 7 h; a click asks for the 7 h, which Wine
#                        refuses: a message names the cause, the read-outs stay 7 h apart and
#                        the button off until the slow follow-up measurement; with the server
#                        stopped, a second click leaves "获取中" and the button off
#   close_while_waiting  the source never answers; closing the form ends the process at once
#   autostart            from a folder with spaces: ticking copies the program under Program
#                        Files and registers the copy's path, quoted, and " 1", the logon task
#                        and the event source; the box is ticked at the next start; the
#                        registered command, started as Windows starts it at logon, asks to set
#                        the clock without a window (refused: exit status 1); unticking removes
#                        all four
#   small_screen         144 DPI, 400x300 screen: the form (442x358) keeps its title bar on it
# Exits 77 (skipped) where private network and mount namespaces cannot be made.
# TIKORA_SCREENSHOT=file.png saves the form in offset_and_click (the README's picture);
# TIKORA_KEEP_WORK=1 keeps the work folder with the program's output for a look afterwards.
set -euo pipefail

readonly kZoneDifferenceS=25200  # UTC+8 minus UTC+1
readonly kZoneOffsetS=3600       # the zone bound over /etc/localtime: UTC+1
readonly kReadoutToleranceS=2    # whole-second readings on both sides
readonly kHostClockToleranceS=3
readonly kClockChangeToleranceMs=1000  # half a second, and room for a loaded machine
readonly kFollowUpDelayS=6       # how long the server keeps later measurements waiting
readonly kRetryDelayS=5          # how often the form tries again while no source answers
readonly kFormWaitMs=30000
# Wine alone needs about 2 s to destroy the form (it waits for a window manager that Xvfb does
# not have); a process that waited for its worker would take 10 s and more.
readonly kExitLimitMs=5000
readonly kNoDisplayLimitS=60

readonly kNetworkPrefix="标准的网络时间："
readonly kComputerPrefix="现在的电脑时间："
readonly kFetching="${kNetworkPrefix}获取中"
readonly kTitle="QuelanTikora ${TIKORA_TITLE_VERSION:?set by CTest from the build}（误差±0.5秒）"

here="$(cd "$(dirname "$0")" && pwd)"
# shellcheck source-path=SCRIPTDIR source=isolated_network.sh
source "$here/isolated_network.sh"

# ---------------------------------------------------------------- inside the namespaces

# Reads the form's state into the globals title, network, computer, button, checkbox, rect.
read_state() {
    local line
    title="" network="" computer="" button="" checkbox="" rect=""
    while IFS= read -r line; do
        line=${line%$'\r'}
        case "$line" in
        title=*) title=${line#title=} ;;
        network=*) network=${line#network=} ;;
        computer=*) computer=${line#computer=} ;;
        button=*) button=${line#button=} ;;
        checkbox=*) checkbox=${line#checkbox=} ;;
        rect=*) rect=${line#rect=} ;;
        esac
    done < <(wine "$probe" state 2>/dev/null)
    echo "state: network='$network' computer='$computer' button=$button checkbox=$checkbox"
}

# Seconds of a read-out's "yyyy-mm-dd hh:mm:ss" counted as UTC (only differences matter),
# or empty when the read-out holds no time.
readout_seconds() {
    local text=$1 prefix=$2 stamp
    stamp=${text#"$prefix"}
    [ "$stamp" != "$text" ] || return 0
    date -u -d "$stamp" +%s 2>/dev/null || true
}

abs() { echo $(($1 < 0 ? -$1 : $1)); }

# network read-out minus computer read-out, in seconds; empty if either holds no time.
readout_difference() {
    local network_s computer_s
    network_s=$(readout_seconds "$network" "$kNetworkPrefix")
    computer_s=$(readout_seconds "$computer" "$kComputerPrefix")
    [ -n "$network_s" ] && [ -n "$computer_s" ] || return 0
    echo $((network_s - computer_s))
}

# Polls the form until the network read-out satisfies the test "$@" on $network, or gives up.
wait_for_network() {
    local limit_tenths=$1
    shift
    local waited=0
    while ((waited < limit_tenths)); do
        read_state
        if "$@"; then
            return 0
        fi
        sleep 0.5
        waited=$((waited + 5))
    done
    return 1
}
network_is_fetching() { [ "$network" = "$kFetching" ]; }
network_is_ahead() {
    local difference
    difference=$(readout_difference)
    [ -n "$difference" ] && (($(abs $((difference - kZoneDifferenceS))) <= kReadoutToleranceS))
}
button_is_enabled() { [ "$button" = enabled ]; }

start_server() {
    python3 "$here/windowed_date_server.py" --port 80 "$@" --log "$work/server.log" \
        --ready "$work/ready" >"$work/server.out" 2>&1 &
    server_pid=$!
    poll_until 100 test -e "$work/ready" && return 0
    fail "the date server did not start"
    return 1
}

stop_server() {
    [ -n "$server_pid" ] || return 0
    kill "$server_pid" 2>/dev/null || true
    wait "$server_pid" 2>/dev/null || true
    server_pid=""
}

# Starts the program without arguments (the windowed mode) and waits for its form.
start_program() {
    wine "$program" >"$work/stdout" 2>"$work/stderr" &
    program_pid=$!
    if ! wine "$probe" wait "$kFormWaitMs"; then
        fail "the main form did not appear"
        return 1
    fi
}

# Closes the form and expects the process to end promptly with status 0.
close_program() {
    local status=0 line
    line=$(wine "$probe" close "$kExitLimitMs") || status=$?
    echo "${line%$'\r'}"
    case "$status" in
    0) ;;
    4) fail "the program still runs $kExitLimitMs ms after its form was closed" ;;
    *) fail "could not close the form (probe status $status)" ;;
    esac
    if [ "$status" != 0 ]; then
        kill "$program_pid" 2>/dev/null || true
    fi
    status=0
    wait "$program_pid" || status=$?
    program_pid=""
    [ "$status" = 0 ] || fail "exit status $status after closing, expected 0"
}

# Runs the program where no form can be made; it must end by itself. Sets last_status.
run_without_display() {
    local executable=$1 started
    last_status=0
    started=$(date +%s%N)
    timeout "$kNoDisplayLimitS" wine "$executable" >"$work/stdout" 2>"$work/stderr" ||
        last_status=$?
    echo "program ended after $((($(date +%s%N) - started) / 1000000)) ms, status $last_status"
}

scenario_no_display() {
    run_without_display "$program"
    [ "$last_status" = 0 ] || fail "exit status $last_status without a display, expected 0"
    [ ! -s "$work/stdout" ] || fail "unexpected output: $(cat "$work/stdout")"
}

check_first_state() {
    [ "$title" = "$kTitle" ] || fail "title '$title', expected '$kTitle'"
    [ "$checkbox" = unchecked ] || fail "the autostart box is $checkbox"
    # The computer read-out is the host's time in the zone bound over /etc/localtime.
    local computer_s expected_s
    computer_s=$(readout_seconds "$computer" "$kComputerPrefix")
    expected_s=$(($(date -u +%s) + kZoneOffsetS))
    if [ -z "$computer_s" ]; then
        fail "computer read-out '$computer' holds no time"
    elif (($(abs $((computer_s - expected_s))) > kHostClockToleranceS)); then
        fail "computer read-out '$computer' is not the UTC+1 time of the host"
    fi
}

scenario_offline() {
    start_program || return 0
    # Each source refuses the connection at once; the read-out keeps saying fetching.
    sleep 3
    read_state
    check_first_state
    [ "$network" = "$kFetching" ] || fail "network read-out '$network', expected '$kFetching'"
    [ "$button" = enabled ] || fail "the button is $button before any correction"
    local first_s later_s
    first_s=$(readout_seconds "$computer" "$kComputerPrefix")
    sleep 2.2
    read_state
    later_s=$(readout_seconds "$computer" "$kComputerPrefix")
    if [ -z "$first_s" ] || [ -z "$later_s" ] || ((later_s - first_s < 2 || later_s - first_s > 4)); then
        fail "the computer read-out did not advance with the clock ($first_s then $later_s)"
    fi
    [ "$network" = "$kFetching" ] || fail "network read-out '$network' while offline"

    # The form keeps measuring: a source that comes up is heard from at the next try.
    local started
    started=$(now_ms)
    start_server || return 0
    if wait_for_network $(((kRetryDelayS + 2) * 10)) network_is_ahead; then
        echo "network time shown $(($(now_ms) - started)) ms after the source came up"
    else
        fail "no network time $((kRetryDelayS + 2)) s after the source came up ('$network')"
    fi
    close_program
}

# Waits for the first measurement: network read-out seven hours ahead, button enabled.
expect_measured_offset() {
    if ! wait_for_network 150 network_is_ahead; then
        fail "network read-out '$network' is not the computer read-out '$computer' + 7 h"
        return 1
    fi
    [ "$button" = enabled ] || fail "the button is $button after a successful measurement"
    echo "network read-out is the computer read-out + $(readout_difference) s"
}

# The click asked Wine to move the clock by the offset: refused, but logged. One correction asks
# the same change twice (all fields at once, again for a change of daylight saving time); each
# carries the 7 h, to within the half second one answer leaves and the exchange's time.
check_clock_change_asked() {
    local changes change
    mapfile -t changes < <(refused_clock_changes_ms "$work/stderr")
    echo "clock changes asked for (ms): ${changes[*]:-none}"
    if [ "${#changes[@]}" -ne 2 ]; then
        fail "the click asked ${#changes[@]} clock changes, expected the same one twice"
        return 0
    fi
    for change in "${changes[@]}"; do
        (($(abs $((change - kZoneDifferenceS * 1000))) <= kClockChangeToleranceMs)) ||
            fail "clock change $change ms is not 7 h"
    done
}

# With TIKORA_SCREENSHOT set, saves the form as it looks now (the README's picture).
take_screenshot() {
    [ -n "${TIKORA_SCREENSHOT:-}" ] || return 0
    local left top right bottom
    IFS=, read -r left top right bottom <<<"$rect"
    sleep 1.2 # let the next tick paint the faces with the network time
    import -window root -crop "$((right - left))x$((bottom - top))+$left+$top" +repage \
        "$TIKORA_SCREENSHOT"
    echo "screenshot saved to $TIKORA_SCREENSHOT"
}

click_button() {
    wine "$probe" click || fail "the click could not be delivered"
}

# Wine refuses every change of 0.5 s or more: the program says why, and the message is closed.
dismiss_refusal() {
    local text
    text=$(wine "$probe" dismiss 10000 | tr -d '\r') || {
        fail "no message after the refused correction"
        return 0
    }
    echo "$text"
    [[ "$text" == *校正电脑时间失败*1314* ]] || fail "the message does not name the cause: $text"
}

scenario_offset_and_click() {
    start_server --later-delay "$kFollowUpDelayS" && start_program || return 0
    read_state
    check_first_state
    expect_measured_offset || return 0
    take_screenshot

    # The click asks Wine to move the clock by 7 h, which it refuses: the offset stays, and the
    # follow-up measurement is held back by the server, so for a while the button stays off.
    click_button
    dismiss_refusal
    read_state
    network_is_ahead || fail "after a refused correction the network read-out is '$network'"
    [ "$button" = disabled ] || fail "the button is $button right after the click"
    check_clock_change_asked

    # The slow answer arrives: the button comes back.
    if ! wait_for_network $(((kFollowUpDelayS + 6) * 10)) button_is_enabled; then
        fail "the follow-up measurement did not bring the button back"
        return 0
    fi
    network_is_ahead || fail "the network read-out is '$network' after the follow-up measurement"

    # No source answers the next follow-up: the read-out falls back, the button stays off.
    stop_server
    click_button
    dismiss_refusal
    wait_for_network 50 network_is_fetching ||
        fail "network read-out '$network' after a failed follow-up, expected '$kFetching'"
    sleep 1.5
    read_state
    [ "$network" = "$kFetching" ] || fail "network read-out '$network' later on"
    [ "$button" = disabled ] || fail "the button is $button after a failed follow-up"
    close_program
}

scenario_close_while_waiting() {
    start_server --silent && start_program || return 0
    read_state
    [ "$network" = "$kFetching" ] || fail "network read-out '$network' while the source is silent"
    # Closed once the worker waits on the first source's answer; nothing may wait for it.
    poll_until 100 test -s "$work/server.log" || fail "the program never asked the silent source"
    close_program
}

# The registration as Wine's reg tool shows it: the data, or empty when there is none.
registered_command() {
    wine reg query 'HKLM\Software\Microsoft\Windows\CurrentVersion\Run' /v Quelan_Tikora \
        2>/dev/null | tr -d '\r' | sed -n 's/^ *Quelan_Tikora *REG_SZ *//p' || true
}

# Whether the scheduler holds the logon task in its folder: Wine keeps each task as a file of its
# name, each task folder as a folder.
logon_task_registered() {
    [ -f "$WINEPREFIX/drive_c/windows/system32/tasks/Quelan_Tikora/Quelan_Tikora" ]
}

# The protected copy's folder: in the 32-bit Program Files, which a 64-bit prefix calls (x86).
copy_folder() {
    local x86="$WINEPREFIX/drive_c/Program Files (x86)"
    [ -d "$x86" ] && echo "$x86/Quelan_Tikora" || echo "$WINEPREFIX/drive_c/Program Files/Quelan_Tikora"
}

event_source_registered() {
    wine reg query 'HKLM\System\CurrentControlSet\Services\EventLog\Application\Quelan_Tikora'
} >/dev/null 2>&1

box_is_checked() { [ "$checkbox" = checked ]; }

# Polls the form until the test "$@" holds, about ten times a second for limit_tenths.
wait_for_state() {
    local limit_tenths=$1 waited=0
    shift
    while ((waited < limit_tenths)); do
        read_state
        "$@" && return 0
        sleep 0.1
        waited=$((waited + 1))
    done
    return 1
}

scenario_autostart() {
    local folder="$work/Quelan Tikora" expected registered status=0
    mkdir -p "$folder"
    cp "$program" "$folder/QuelanTikora.exe"
    program="$folder/QuelanTikora.exe"
    expected="\"$(wine winepath -w "$(copy_folder)/QuelanTikora.exe" 2>/dev/null | tr -d '\r')\" 1"
    start_server && start_program || return 0
    read_state
    [ "$checkbox" = unchecked ] || fail "the box is $checkbox before anything was registered"
    wine "$probe" tick || fail "the tick could not be delivered"
    registered=$(registered_command)
    echo "registered: $registered"
    [ "$registered" = "$expected" ] || fail "registered '$registered', expected '$expected'"
    logon_task_registered || fail "ticking registered no logon task"
    event_source_registered || fail "ticking registered no event source"
    cmp -s "$program" "$(copy_folder)/QuelanTikora.exe" || fail "no copy of the program"
    close_program

    start_program || return 0
    wait_for_state 50 box_is_checked || fail "the box is $checkbox at the next start"
    close_program

    # Windows' logon start: the command as registered, in the silent mode.
    : >"$work/server.log"
    wine "$probe" run-registered 30000 >"$work/registered.out" 2>"$work/stderr" || status=$?
    [ "$status" = 1 ] || fail "the registered command ended with status $status, expected 1"
    [ -s "$work/server.log" ] || fail "the registered command asked no time source"
    [ -n "$(refused_clock_changes_ms "$work/stderr")" ] ||
        fail "the registered command did not ask to set the clock"
    [ -z "$(wine "$probe" wait 500 && echo form)" ] || fail "the silent start showed a form"

    start_program || return 0
    wait_for_state 50 box_is_checked || fail "the box is $checkbox before unticking"
    wine "$probe" tick || fail "the untick could not be delivered"
    registered=$(registered_command)
    [ -z "$registered" ] || fail "still registered after unticking: '$registered'"
    ! logon_task_registered || fail "the logon task is still there after unticking"
    ! event_source_registered || fail "the event source is still there after unticking"
    [ ! -e "$(copy_folder)" ] || fail "the copy's folder is still there after unticking"
    close_program
}

scenario_small_screen() {
    start_program || return 0
    read_state
    [ "$rect" = 0,0,442,358 ] || fail "the form's rectangle is $rect, expected 0,0,442,358"
    close_program
}

# The EXIT trap inside the namespaces; it runs after inside() has returned.
stop_inside() {
    set +e # clean up everything, whatever has already gone
    if [ -n "$program_pid" ]; then
        kill "$program_pid" 2>/dev/null
    fi
    stop_server
    stop_wineserver
    if [ -n "$xvfb_pid" ]; then
        kill "$xvfb_pid" 2>/dev/null
        wait "$xvfb_pid" 2>/dev/null
    fi
    return 0
}

inside() {
    local scenario=$1
    program=$2 probe=$3 bare=$4 work=$5

    isolate_network_and_zone "$work"
    use_overlay_prefix "$work"
    server_pid="" program_pid="" xvfb_pid=""
    trap stop_inside EXIT

    : >"$work/failures"
    # The first start in a new wineserver also starts Wine's services and its desktop, which
    # keeps the display it found: the windowed scenarios need theirs before that.
    case "$scenario" in
    no_display) ;;
    small_screen)
        start_display 400x300x24 || return 0
        wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d 144 /f >/dev/null 2>&1
        ;;
    *) start_display || return 0 ;;
    esac
    if [ -n "${TIKORA_SCREENSHOT:-}" ]; then
        # There is no window manager: let Wine draw the title bar and border itself.
        wine reg add 'HKCU\Software\Wine\X11 Driver' /v Decorated /d N /f >/dev/null 2>&1
        # The title bar's font has no Chinese glyphs: link it to the CJK font.
        wine reg add 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\FontLink\SystemLink' \
            /v Tahoma /t REG_MULTI_SZ /d 'wqy-microhei.ttc,WenQuanYi Micro Hei' /f >/dev/null 2>&1
    fi
    wine "$bare" >/dev/null 2>&1 || true

    "scenario_$scenario"
}

# ---------------------------------------------------------------- outside

run_inside_when_rerun "$@"

scenario=${1:?scenario}
program=${2:?program}
probe=${3:?probe}
bare=${4:?bare program}
case "$scenario" in
no_display | offline | offset_and_click | close_while_waiting | autostart | small_screen) ;;
*)
    echo "unknown scenario $scenario" >&2
    exit 2
    ;;
esac

skip_unless_namespaces_available

work="$(mktemp -d "${TMPDIR:-/tmp}/tikora-windowed.XXXXXX")"
[ -n "${TIKORA_KEEP_WORK:-}" ] || trap 'rm -rf "$work"' EXIT

write_hosts_file "$work/hosts"

if ! run_scenario "$scenario" "$program" "$probe" "$bare" "$work"; then
    echo "--- program's standard error:"
    cat "$work/stderr" 2>/dev/null || true
    echo "--- requests served:"
    cat "$work/server.log" 2>/dev/null || true
    exit 1
fi
echo "PASS"
