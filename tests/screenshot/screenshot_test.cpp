// The desktop host without a display (offscreen): it opens the Reports Manager on a demo
// practice it creates, and writes the window's picture to a PNG file.
#include <gtest/gtest.h>

#include <unistd.h>

#include <QColor>
#include <QImage>
#include <QSet>
#include <cstdlib>
#include <filesystem>

#include "host/base/env.h"
#include "tests/support/process.h"

namespace {

using testing_support::Quote;
using testing_support::Sibling;

}  // namespace

TEST(Screenshot, ReportsManagerOnTheDemoPractice) {
    const std::string gui = Sibling("rapports-gui");
    if (!std::filesystem::exists(gui)) GTEST_SKIP() << "rapports-gui n'est pas construit";
    const std::string station = host::Env().station_dir + "/gui";
    const std::string png = host::Env().output_dir + "/gestionnaire.png";
    const std::string command =
        "env -u RAPPORTS_DATA_DIR QT_QPA_PLATFORM=offscreen "
        "RAPPORTS_STATION_DIR=" +
        Quote(station) + " " + Quote(gui) + " --station " + Quote(station) +
        " --demo-size small --today 20241115 --screenshot " + Quote(png) + " > /dev/null 2>&1";
    ASSERT_EQ(std::system(command.c_str()), 0) << command;

    QImage image;
    ASSERT_TRUE(image.load(QString::fromStdString(png), "PNG"));
    EXPECT_GE(image.width(), 700);
    EXPECT_GE(image.height(), 500);
    // A real picture: the window frame, tabs, icons and text give many colours; a blank or
    // failed grab gives a handful.
    QSet<QRgb> colours;
    for (int y = 0; y < image.height(); y += 3)
        for (int x = 0; x < image.width(); x += 3)
            colours.insert(image.pixel(x, y));
    EXPECT_GT(colours.size(), 200);
    // The demo practice was created in the station folder, as on a first use.
    EXPECT_TRUE(std::filesystem::exists(station + "/demo.db"));
}

TEST(Screenshot, TheRoadToThePreviewOf102) {
    // The manager, 102's criteria dialog and its preview, as the README shows them.
    const std::string gui = Sibling("rapports-gui");
    if (!std::filesystem::exists(gui)) GTEST_SKIP() << "rapports-gui n'est pas construit";
    const std::string station = host::Env().station_dir + "/gui-apercu";
    const std::string out = host::Env().output_dir + "/gui-apercu";
    const std::string png = out + "/route.png";
    std::filesystem::create_directories(out);
    const std::string command = "env -u RAPPORTS_DATA_DIR QT_QPA_PLATFORM=offscreen " + Quote(gui) +
                                " --station " + Quote(station) + " --out " + Quote(out) +
                                " --demo-size small --today 20241115 --preview 102 --screenshot " +
                                Quote(png) + " > /dev/null 2>&1";
    ASSERT_EQ(std::system(command.c_str()), 0) << command;
    QImage dialog, preview;
    ASSERT_TRUE(dialog.load(QString::fromStdString(out + "/route-dialogue.png"), "PNG"));
    ASSERT_TRUE(preview.load(QString::fromStdString(out + "/route-apercu.png"), "PNG"));
    // The preview window is larger than the criteria dialog, and the run wrote the
    // report's PDF into the output folder given.
    EXPECT_GT(preview.width() * preview.height(), dialog.width() * dialog.height());
    EXPECT_TRUE(std::filesystem::exists(out + "/arrpt.pdf"));
}
