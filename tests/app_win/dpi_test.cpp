// The form and a clock face at 120 and 144 DPI. Wine reads the DPI from the registry when a process
// starts, so the parent test sets it, runs this program again as a child that checks the geometry,
// and puts the old value back. CTest runs these alone: other Wine tests must not see the change.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "core/scope_exit.h"
#include "app/main_form_design.h"
#include "app/win/main_form_controls.h"
#include "forms/pixel_math.h"
#include "forms/win/control_record.h"
#include "forms/win/dpi_scaling.h"
#include "forms/win/gdiplus_session.h"
#include "tests/app_win/face_pixels.h"
#include "tests/app_win/main_form_scope.h"
#include "tests/support/fake_clock.h"
#include "tests/support/window_rect.h"

namespace {

constexpr wchar_t kChildDpiVariable[] = L"FORMS_TEST_CHILD_DPI";
constexpr wchar_t kDesktopKey[] = L"Control Panel\\Desktop";
constexpr wchar_t kLogPixels[] = L"LogPixels";

int ChildDpi() {
    wchar_t value[16] = {};
    return GetEnvironmentVariableW(kChildDpiVariable, value, 16) != 0 ? _wtoi(value) : 0;
}

struct Geometry {
    int Dpi, FormWidth, FormHeight;
    RECT NetworkFace, Button;  // left, top, width, height
    LONG FontHeight;
    int PointsOfMinus12Pixels;
    int SmallIconSize;
};
const Geometry kGeometries[] = {
    {120, 369, 299, {204, 6, 144, 144}, {258, 219, 81, 32}, -15, 7, 20},
    {144, 442, 358, {244, 8, 172, 172}, {309, 262, 98, 39}, -18, 6, 24},
};

// Now on a monitor of the table's other DPI; suggested: (10, 20), a pixel over the design size.
const Geometry& MoveToTheOtherDpi(HWND form, int dpi) {
    const Geometry& other = kGeometries[0].Dpi == dpi ? kGeometries[1] : kGeometries[0];
    const RECT suggested{10, 20, 11 + other.FormWidth, 21 + other.FormHeight};
    SendMessageW(form, WM_DPICHANGED, MAKEWPARAM(other.Dpi, other.Dpi),
                 reinterpret_cast<LPARAM>(&suggested));
    return other;
}

void ExpectPlacedAt(HWND control, const RECT& expected) {
    const RECT rect = RectInParent(control);
    EXPECT_EQ(rect.left, expected.left);
    EXPECT_EQ(rect.top, expected.top);
    EXPECT_EQ(rect.right - rect.left, expected.right);
    EXPECT_EQ(rect.bottom - rect.top, expected.bottom);
}

void ExpectGeometry(HWND form, const Geometry& expected, POINT origin) {
    SCOPED_TRACE(expected.Dpi);
    RECT outer{};
    GetWindowRect(form, &outer);
    EXPECT_EQ(outer.left, origin.x);
    EXPECT_EQ(outer.top, origin.y);
    EXPECT_EQ(outer.right - outer.left, expected.FormWidth);
    EXPECT_EQ(outer.bottom - outer.top, expected.FormHeight);
    ExpectPlacedAt(ControlWindows.ClockFaceWindows[kNetworkFaceIndex], expected.NetworkFace);
    ExpectPlacedAt(ControlWindows.CorrectNowButton, expected.Button);
    for (const ControlDescription& control : kMainFormControls) {
        if (!control.FontDescription.empty()) {
            LOGFONTW font{};
            GetObjectW(FindControlRecord(GetDlgItem(form, control.Id))->Font, sizeof(font), &font);
            EXPECT_EQ(font.lfHeight, expected.FontHeight) << control.Id;
        }
    }
    ICONINFO icon{};
    ASSERT_TRUE(
        GetIconInfo(reinterpret_cast<HICON>(SendMessageW(form, WM_GETICON, ICON_SMALL, 0)), &icon));
    BITMAP colour{};
    GetObjectW(icon.hbmColor, sizeof(colour), &colour);
    DeleteObject(icon.hbmColor);
    DeleteObject(icon.hbmMask);
    EXPECT_EQ(colour.bmWidth, expected.SmallIconSize);
}

// Runs only in the child, at the DPI the parent set.
TEST(ScaledGeometry, MatchesTheScreensDpi) {
    const int dpi = ChildDpi();
    const Geometry* expected = nullptr;
    for (const Geometry& geometry : kGeometries) {
        expected = geometry.Dpi == dpi ? &geometry : expected;
    }
    ASSERT_NE(expected, nullptr);
    const HDC screen = GetDC(nullptr);
    ASSERT_EQ(GetDeviceCaps(screen, LOGPIXELSY), dpi) << "the DPI setting did not apply";
    ReleaseDC(nullptr, screen);

    const MainFormScope form;
    ExpectGeometry(form.get(), *expected,
                   {(GetSystemMetrics(SM_CXSCREEN) - expected->FormWidth) / 2,
                    (GetSystemMetrics(SM_CYSCREEN) - expected->FormHeight) / 2});
    EXPECT_EQ(PixelHeightToPoints(-12), expected->PointsOfMinus12Pixels);
    // Moved to a monitor of the other DPI: control by control the form made there.
    ExpectGeometry(form.get(), MoveToTheOtherDpi(form.get(), dpi), {10, 20});
}

// The face's integer design points are scaled as they are drawn: the hands end at their
// scaled points, and nothing lies outside the scaled strokes.
TEST(ScaledGeometry, FacePaintedAtTheScreensScale) {
    const int dpi = ChildDpi();
    ASSERT_NE(dpi, 0);
    const CanvasScale scale{ScaleFactorForDpi(dpi), ScaleFactorForDpi(dpi)};
    const GdiplusSession gdiplus;
    const FakeClockScope clock(MakeSystemTime(2026, 12, 7, 9, 30, 45, 0));
    const MainFormScope form;
    ShowWindow(form.get(), SW_SHOWNOACTIVATE);
    const HWND face = ControlWindows.ClockFaceWindows[kComputerFaceIndex];
    Repaint(face);
    const Picture picture = Capture(face);
    ASSERT_EQ(picture.Width, DesignToPixels(115, scale.X));

    const struct {
        DesignPoint End;
        HandColour Colour;
    } hands[] = {
        {{18, 47}, HandColour::Pink}, {{57, 107}, HandColour::Green}, {{7, 57}, HandColour::Blue}};
    for (const auto& hand : hands) {
        const POINT p = InsetFromEnd(hand.End, 2.0, scale);
        EXPECT_TRUE(NearbyLooksLike(picture, p.x, p.y, hand.Colour)) << p.x << ", " << p.y;
    }
    EXPECT_EQ(StrayPixels(picture, {9, 30, 45}, scale, GetSysColor(COLOR_BTNFACE)), 0);
    // On a monitor of the other DPI the face is painted at that one's scale.
    const float otherFactor = ScaleFactorForDpi(MoveToTheOtherDpi(form.get(), dpi).Dpi);
    Repaint(face);
    const Picture moved = Capture(face);
    EXPECT_EQ(moved.Width, DesignToPixels(115, otherFactor));
    EXPECT_EQ(
        StrayPixels(moved, {9, 30, 45}, {otherFactor, otherFactor}, GetSysColor(COLOR_BTNFACE)), 0);
}

bool SetLogPixels(DWORD dpi) {
    return RegSetKeyValueW(HKEY_CURRENT_USER, kDesktopKey, kLogPixels, REG_DWORD, &dpi,
                           sizeof(dpi)) == ERROR_SUCCESS;
}

// Runs this program again with only the child test; returns its exit code.
DWORD RunChild(int dpi) {
    wchar_t program[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, program, MAX_PATH);
    std::wstring commandLine = L"\"" + std::wstring(program) + L"\"";
    SetEnvironmentVariableW(kChildDpiVariable, std::to_wstring(dpi).c_str());
    const auto unset = MakeScopeExit([] { SetEnvironmentVariableW(kChildDpiVariable, nullptr); });
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION child{};
    if (!CreateProcessW(program, commandLine.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr,
                        &startup, &child)) {
        return GetLastError();
    }
    const auto close = MakeScopeExit([&] {
        CloseHandle(child.hThread);
        CloseHandle(child.hProcess);
    });
    DWORD exitCode = STILL_ACTIVE;
    if (WaitForSingleObject(child.hProcess, 60000) == WAIT_OBJECT_0) {
        GetExitCodeProcess(child.hProcess, &exitCode);
    } else {
        TerminateProcess(child.hProcess, 1);
    }
    return exitCode;
}

TEST(DpiSetting, FormScalesAt120And144Dpi) {
    DWORD saved = 96;
    DWORD size = sizeof(saved);
    RegGetValueW(HKEY_CURRENT_USER, kDesktopKey, kLogPixels, RRF_RT_REG_DWORD, nullptr, &saved,
                 &size);
    const auto restore = MakeScopeExit([saved] { SetLogPixels(saved); });
    for (const Geometry& geometry : kGeometries) {
        ASSERT_TRUE(SetLogPixels(static_cast<DWORD>(geometry.Dpi)));
        EXPECT_EQ(RunChild(geometry.Dpi), 0u) << geometry.Dpi;
    }
}

}  // namespace

// The child test runs only in the child; elsewhere it is not even listed.
int wmain(int argc, wchar_t** argv) {
    SetProcessDPIAware();  // as the program's manifest declares: the screen's real DPI
    testing::InitGoogleTest(&argc, argv);
    std::string& filter = testing::GTEST_FLAG(filter);
    if (ChildDpi() != 0) {
        filter = "ScaledGeometry.*";
    } else {
        filter += filter.find('-') == std::string::npos ? "-ScaledGeometry.*" : ":ScaledGeometry.*";
    }
    return RUN_ALL_TESTS();
}
