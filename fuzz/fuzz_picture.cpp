// Pictures on arbitrary bytes: the display control loading a file that holds them, both as a
// backdrop (opaque) and as a balloon (alpha or key colour), then drawing a frame with it; and the
// same bytes read as a backdrop's twin, shrunk while it is decoded.
#include <unistd.h>

#include <QGuiApplication>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>

#include "display/qt/PictureLoading.h"
#include "display/qt/QtDisplay.h"
#include "display/qt/ShrinkingRead.h"

using namespace driftmere;

namespace {

std::string g_folder;
std::string g_path;
QGuiApplication* g_app = nullptr;
std::ostringstream g_swallowed;

}  // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    g_app = new QGuiApplication(*argc, *argv);
    const char* base = access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp";
    g_folder = std::string(base) + "/driftmere-fuzz-picture-" + std::to_string(getpid());
    std::filesystem::create_directories(g_folder);
    g_path = g_folder + "/picture.bmp";
    std::atexit([] { std::filesystem::remove_all(g_folder); });
    // One warning per unreadable picture is right for the saver and noise here.
    std::cerr.rdbuf(g_swallowed.rdbuf());
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    {
        std::ofstream out(g_path, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    }
    QtDisplay display;
    SurfaceId backdrop = display.CreateSurface();
    SurfaceId balloon = display.CreateSurface();
    display.LoadPicture(backdrop, g_path, kOpaque);
    display.LoadPicture(balloon, g_path, kKeyedOrAlpha);
    display.SetSurfaceX(balloon, -20);
    display.SetSurfaceY(balloon, 580);
    display.ClearFrame(kBlack);
    display.DrawSurface(backdrop);
    display.DrawSurface(balloon);
    display.Flip();
    QSize found;
    if (ProbePicture(QString::fromStdString(g_path), QSize(1600, 1200), &found, nullptr)) {
        QImage shrunk;
        QString why;
        ReadPngShrunk(QString::fromStdString(g_path), found, found * 0.9, &shrunk, &why);
    }
    g_swallowed.str({});
    return 0;
}
