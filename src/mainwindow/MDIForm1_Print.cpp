// Printing: File > Print (one page per shown channel window and copy, or the
// active window only), the page of one window, and Alt + Print Screen, which
// puts the main window's picture on the clipboard and offers to print it.

#include <QScrollBar>

#include <exception>
#include <vector>

#include "MDIForm1.h"
#include "NumberUtils.h"
#include "PageRenderer.h"
#include "Printer.h"
#include "ProgramError.h"

namespace sevrana {

namespace {

/// A page failed; its own message has been shown already.
struct PageFailed {};

constexpr int kPrintScreenKey = 44;
constexpr int kAltAlone = 4;

}  // namespace

void MDIForm1::ToPrinter(Printer& printer, std::int16_t index)
{
    const PageSource source{state_.model, state_.view, state_.drawing,
                            [this](long i) {
                                const Pohja* w = ChannelWindow(i);
                                return w != nullptr && w->IsMinimized();
                            },
                            Scroll1->value()};
    try {
        DrawPage(printer, source, index);
    } catch (...) {
        ReportPrintFailure(platform_);
        state_.drawing.blnPrintError = true;
    }
}

void MDIForm1::EndPrinting()
{
    state_.view.blnRedrawMarkers = kTrue;
    DrawSignal();
    GiveBackFocus();
}

void MDIForm1::PrintActive_Click()
{
    const RecordingModel& m = state_.model;
    DrawingState& d = state_.drawing;
    setEnabled(false);
    const std::optional<PrintSetup> setup = platform_.PrintDialog(this, true);
    if (!setup || setup->printer == nullptr) {  // cancelled: nothing printed, nothing said
        EndPrinting();
        return;
    }
    try {
        Printer printer(*setup->printer);
        printer.SetFont(PrinterFontFamily({"Times", "Arial", "Helvetica"}), 10);
        auto page = [&](std::int16_t index) {
            ToPrinter(printer, index);
            if (d.blnPrintError) {
                d.blnPrintError = false;
                throw PageFailed{};
            }
        };
        std::vector<std::int16_t> windows;  // the pages to print, in order
        if (!setup->selection) {
            // A copy's pages are the windows shown, in order; the range picks among them.
            int shown = 0;
            for (long k = 1; k <= m.intHasDigital + m.AnalogCount(); ++k)
                if (const Pohja* w = ChannelWindow(k); w == nullptr || !w->IsMinimized())
                    if (setup->Wants(++shown)) windows.push_back(static_cast<std::int16_t>(k));
        } else {
            const Pohja* active = ActiveChannelWindow();
            if (active == nullptr) throw ProgramError(91, "Object variable or With block variable not set");
            windows.push_back(ToInt16(static_cast<double>(active->Index())));
        }
        // Copies window by window: with two windows and two copies 1, 1, 2, 2; no page
        // break after the last page, so minimized windows at the end leave no empty page.
        for (std::size_t k = 0; k < windows.size(); ++k)
            for (int copy = 1; copy <= setup->copies; ++copy) {
                page(windows[k]);
                if (copy < setup->copies || k + 1 < windows.size()) printer.NewPage();
            }
        printer.EndDoc();
    } catch (const PageFailed&) {
        // The page said what went wrong; the job is abandoned.
    } catch (...) {
        ReportPrintFailure(platform_);
    }
    EndPrinting();
}

void MDIForm1::PrintScreen(int keyCode, int shift)
{
    if (keyCode != kPrintScreenKey || shift != kAltAlone) return;
    // Linux desktops do not copy the active window on Alt + Print Screen: the program does.
    platform_.SetClipboardImage(grab().toImage());
    if (!platform_.AskYesNo(QStringLiteral("Application window is copied to clipboard.\r\n"
                                           "Do you want to print contents of clipboard?")))
        return;
    if (const std::optional<PrintSetup> setup = platform_.PrintDialog(this, false);
        setup && setup->printer != nullptr) {
        try {
            Printer printer(*setup->printer);
            const QImage picture = platform_.ClipboardImage();
            if (picture.isNull()) throw ProgramError(481, "Invalid picture");
            // The picture is a copy's only page: a range that starts later leaves the document empty.
            for (int copy = 1; copy <= setup->copies && setup->Wants(1); ++copy) {
                // Stretched to the whole page: the aspect is not kept.
                printer.PaintPicture(picture, 0, 0, printer.ScaleWidth(), printer.ScaleHeight());
                if (copy < setup->copies) printer.NewPage();
            }
            printer.EndDoc();
        } catch (...) {
            ReportPrintFailure(platform_);
        }
    }
    state_.view.blnRedrawMarkers = kTrue;
    DrawSignal();
}

}  // namespace sevrana
