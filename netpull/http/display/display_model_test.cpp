// The display model: texts, places in twips and visibility after each event and resize.
#include "netpull/http/display/display_model.h"

#include <gtest/gtest.h>

namespace netpull::http {
namespace {

using E = Element;

TEST(DisplayModel, StartsAtTheDesignLayout) {
    const DisplayModel model;
    EXPECT_EQ(model.Width(), 4815);
    EXPECT_EQ(model[E::Stat2].text, "Downloaded:");
    EXPECT_EQ(model[E::Stat4].text, "0% (0 mb)");
    EXPECT_EQ(model[E::BtnCancel].text, "&Cancel");
    EXPECT_EQ(model[E::BtnCancel].area, (TwipsArea{3840, 1080, 855, 255}));
    EXPECT_TRUE(model[E::Stat5].bold);
    EXPECT_FALSE(model[E::Stat0].bold);
}

TEST(DisplayModel, ProgressFillsTheBarThenShowsTheFigures) {
    DisplayModel model;
    model.ProgressBar(512, 2048);
    EXPECT_EQ(model[E::Label1].text, "25%");
    EXPECT_EQ(model[E::Shape2].area.width, 2535 / 4);
    EXPECT_EQ(model[E::Stat0].text, "");  // the details wait for the host's handler
    model.ProgressDetails(
        {std::string(50, 'u') + "/file.bin", "/tmp/file.bin", 1536, 512, 2048, ','});
    EXPECT_EQ(model[E::Stat0].text.size(), 34u);  // 3495 twips show 34 characters
    EXPECT_EQ(model[E::Stat0].text.substr(25), "/file.bin");
    EXPECT_EQ(model[E::Stat1].text, "/tmp/file.bin");
    EXPECT_EQ(model[E::Stat3].text, "2 KB per second.");
    EXPECT_EQ(model[E::Stat4].text, "25% (512bytes)");
    model.ProgressBar(700, 0);
    EXPECT_EQ(model[E::Label1].text, "700 bytes.");
}

TEST(DisplayModel, TheEndsOfADownload) {
    DisplayModel model;
    model.ProgressBar(1024, 2048);
    model.ErrorBar();
    EXPECT_EQ(model[E::Label1].text, "failed");
    model.ErrorDetails(404, "server error");
    EXPECT_EQ(model[E::Stat0].text, "failed");
    EXPECT_EQ(model[E::Stat1].text, "404 server error");
    EXPECT_EQ(model[E::Stat3].text, "idle");
    EXPECT_EQ(model[E::Stat4].text, "0% (0 mb)");
    EXPECT_EQ(model[E::Shape2].area.width, 0);
    model.DownloadedBar();
    model.DownloadedDetails();
    EXPECT_EQ(model[E::Label1].text, "completed");
    EXPECT_EQ(model[E::Stat0].text, "complete");
    EXPECT_EQ(model[E::Stat4].text, "100%");
}

TEST(DisplayModel, ResizeKeepsTheMinimumMovesTheBarAndHidesRows) {
    DisplayModel model;
    model.Resize(3000, 400);
    EXPECT_EQ(model.Width(), 4000);
    EXPECT_EQ(model.Height(), 480);
    EXPECT_EQ(model[E::Shape3].area, (TwipsArea{0, 0, 4000, 480}));
    EXPECT_EQ(model[E::Stat2].area.top, 120);
    EXPECT_EQ(model[E::Shape1].area, (TwipsArea{1200, 120, 4000 - 1200 - 855 - 240, 255}));
    EXPECT_EQ(model[E::Stat4].area, model[E::Shape1].area);
    EXPECT_EQ(model[E::BtnCancel].area.left, 1200 + 1705 + 120);
    for (const Element hidden : {E::Stat0, E::Stat1, E::Stat3, E::Stat5, E::Stat6, E::Stat7})
        EXPECT_FALSE(model[hidden].visible);
    model.Resize(6000, 1000);
    EXPECT_EQ(model[E::Stat0].area.width, 6000 - 1200 - 120);
    EXPECT_EQ(model[E::Stat7].area.top, 1000 - 720);
    EXPECT_TRUE(model[E::Stat0].visible);
    EXPECT_TRUE(model[E::Stat3].visible);
    EXPECT_FALSE(model[E::Stat1].visible);
    model.Resize(4815, 1455);
    EXPECT_TRUE(model[E::Stat6].visible);
}

}  // namespace
}  // namespace netpull::http
