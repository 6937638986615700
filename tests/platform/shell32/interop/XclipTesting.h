#pragma once
// xclip as the other program of the clipboard tests, run on the X server of
// scripts/clipboard-interop; the event loop turns while it runs, as it must
// for Qt to answer it.

#include <QByteArray>
#include <QEventLoop>
#include <QProcess>
#include <QStringList>
#include <QTimer>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

constexpr int kTimeoutMs = 10000;

std::string Text(const QByteArray& bytes)
{
    return std::string(bytes.constData(), static_cast<std::size_t>(bytes.size()));
}

// Runs xclip to its end with the event loop turning; its output.
std::string Xclip(const QStringList& arguments)
{
    QProcess xclip;
    QEventLoop loop;
    QObject::connect(&xclip, &QProcess::finished, &loop, &QEventLoop::quit);
    QObject::connect(&xclip, &QProcess::errorOccurred, &loop, &QEventLoop::quit);
    QTimer::singleShot(kTimeoutMs, &loop, &QEventLoop::quit);
    xclip.start("xclip", QStringList{"-selection", "clipboard"} + arguments);
    loop.exec();
    EXPECT_EQ(xclip.state(), QProcess::NotRunning)
        << "xclip " << arguments.join(' ').toStdString() << " hangs";
    if (xclip.state() != QProcess::NotRunning) {
        xclip.kill();
        xclip.waitForFinished();
    }
    EXPECT_EQ(xclip.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(xclip.exitCode(), 0) << Text(xclip.readAllStandardError());
    return Text(xclip.readAllStandardOutput());
}

std::vector<std::string> Lines(const std::string& text)
{
    std::vector<std::string> lines;
    std::size_t at = 0;
    while (at < text.size()) {
        std::size_t end = text.find('\n', at);
        if (end == std::string::npos)
            end = text.size();
        std::string line = text.substr(at, end - at);
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        lines.push_back(line);
        at = end + 1;
    }
    return lines;
}

} // namespace
