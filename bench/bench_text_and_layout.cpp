// Two costs every tree, list and combo cell and every form pays.
//
// DrawText with an ellipsis: a caption too wide for its cell is cut to fit
// with "..." (DT_END_ELLIPSIS) or cut in its middle keeping the last part of
// a path (DT_PATH_ELLIPSIS), for texts of 1, 4 and 16 KiB. The baseline is
// measuring the whole text once, which no cut can do without; the cut takes
// a logarithmic number of such measurements, so its ratio to the baseline
// grows by a step per quadrupling, where dropping a character at a time grew
// it fourfold.
//
// Aligned layout: a form with 100 and with 1,000 controls aligned to its top
// resized once, and 1,000 aligned controls added one by one without
// DisableAlign (each addition lays the form out again). The 1,000-control
// resize should cost within 15 times the 100-control one.
//
// The median of 5 repetitions of each; the ratios are printed at the end.
// Run offscreen: QT_QPA_PLATFORM=offscreen.

#include "vcl/widgets/Controls.h"
#include "vcl/widgets/Forms.h"
#include "win32/DeviceContext.h"
#include "win32/Gdi.h"

#include "MedianReporter.h"

#include <QApplication>
#include <QImage>

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstring>
#include <string>

namespace {

using namespace vcl;

std::string Caption(std::size_t bytes, bool path)
{
    std::string text;
    const char* words[] = {"Documents", "Projects", "shell", "view", "folder", "notes", "archive", "2026"};
    for (std::size_t i = 0; text.size() < bytes; ++i) {
        text += words[i % 8];
        text += path ? '/' : ' ';
    }
    text.resize(bytes);
    if (path)
        text += "/last part.txt";
    return text;
}

// A device context over a picture, with the dialog font selected.
struct Surface {
    QImage Image{200, 20, QImage::Format_RGB32};
    HDC Dc = win32::CreateImageDC(Image);
    HFONT Font;
    Surface()
    {
        LOGFONTA log{};
        log.lfHeight = -11;
        std::strcpy(log.lfFaceName, "MS Shell Dlg");
        Font = CreateFontIndirectA(&log);
        SelectObject(Dc, Font);
    }
    ~Surface()
    {
        DeleteDC(Dc);
        DeleteObject(Font);
    }
};

void Measure(benchmark::State& state, std::size_t bytes)
{
    Surface s;
    const std::string text = Caption(bytes, false);
    for (auto _ : state) {
        SIZE size{};
        GetTextExtentPoint32A(s.Dc, text.c_str(), static_cast<int>(text.size()), &size);
        benchmark::DoNotOptimize(size);
    }
}

void Ellipsis(benchmark::State& state, std::size_t bytes, UINT format)
{
    Surface s;
    const std::string text = Caption(bytes, format == DT_PATH_ELLIPSIS);
    for (auto _ : state) {
        RECT r{0, 0, 180, 18};
        benchmark::DoNotOptimize(DrawTextA(s.Dc, text.c_str(), -1, &r, DT_SINGLELINE | DT_NOPREFIX | format));
    }
}

// A form with count controls aligned to its top.
TCustomForm* FormWith(int count)
{
    TCustomForm* form = Create<TCustomForm>(nullptr);
    form->SetBounds(0, 0, 400, 300);
    form->DisableAlign();
    for (int i = 0; i < count; ++i) {
        TCustomControl* control = Create<TCustomControl>(form);
        control->SetParent(form);
        control->SetBounds(0, i, 40, 3);
        control->SetAlign(alTop);
    }
    form->EnableAlign();
    return form;
}

void Resize(benchmark::State& state, int count)
{
    TCustomForm* form = FormWith(count);
    int width = 400;
    for (auto _ : state) {
        width = width == 400 ? 420 : 400;
        form->SetBounds(0, 0, width, 300);
    }
    form->Free();
}

void AddAligned(benchmark::State& state, int count)
{
    for (auto _ : state) {
        TCustomForm* form = Create<TCustomForm>(nullptr);
        form->SetBounds(0, 0, 400, 300);
        for (int i = 0; i < count; ++i) {
            TCustomControl* control = Create<TCustomControl>(form);
            control->SetParent(form);
            control->SetAlign(i % 2 ? alTop : alBottom);
        }
        form->Free();
    }
}

void Register()
{
    for (const std::size_t kib : {1, 4, 16}) {
        const std::size_t bytes = kib * 1024;
        const std::string size = std::to_string(kib) + "KiB";
        benchmark::RegisterBenchmark(("Measure" + size).c_str(), Measure, bytes)->Repetitions(5);
        benchmark::RegisterBenchmark(("EndEllipsis" + size).c_str(), Ellipsis, bytes, DT_END_ELLIPSIS)
            ->Repetitions(5);
        benchmark::RegisterBenchmark(("PathEllipsis" + size).c_str(), Ellipsis, bytes, DT_PATH_ELLIPSIS)
            ->Repetitions(5);
    }
    for (const int count : {100, 1000})
        benchmark::RegisterBenchmark(("Resize" + std::to_string(count)).c_str(), Resize, count)
            ->Repetitions(5);
    benchmark::RegisterBenchmark("AddAligned1000", AddAligned, 1000)->Repetitions(5)->Iterations(1);
}

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    Register();
    benchmark::Initialize(&argc, argv);
    kwbench::MedianReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    const auto median = [&](const std::string& name) { return reporter.Median(name); };
    for (const char* kib : {"1KiB", "4KiB", "16KiB"})
        for (const char* kind : {"EndEllipsis", "PathEllipsis"}) {
            const double base = median(std::string("Measure") + kib);
            if (base > 0)
                std::printf("ratio %s%s / measuring it once: %.1f\n", kind, kib,
                            median(std::string(kind) + kib) / base);
        }
    for (const char* kind : {"EndEllipsis", "PathEllipsis"}) {
        const double small = median(std::string(kind) + "4KiB");
        if (small > 0)
            std::printf("growth %s 16 KiB / 4 KiB: %.1f (quadratic: 16)\n", kind,
                        median(std::string(kind) + "16KiB") / small);
    }
    if (median("Resize100") > 0)
        std::printf("ratio Resize1000 / Resize100: %.1f (goal: within 15)\n",
                    median("Resize1000") / median("Resize100"));
    std::printf("adding 1,000 aligned controls one by one: %.1f ms\n", median("AddAligned1000") / 1e6);
    benchmark::Shutdown();
    return 0;
}
