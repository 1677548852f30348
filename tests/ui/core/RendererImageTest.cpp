// Loading and drawing images: pixel checks on a 32-bpp DIB section.
#include <gtest/gtest.h>

#include <chrono>

#include "RenderTestUtil.h"
#include "ClipScope.h"
#include "CoreTestUtil.h"
#include "Renderer.h"
#include "TestUtil.h"
#include "WindowManagerUI.h"

using rendertest::Canvas;
using rendertest::ColorDistance;
using rendertest::MakePng;
using Veneer::CRenderer;
using Veneer::CWindowManagerUI;
using Veneer::TImageData;
using Veneer::TImageDrawInfo;

namespace {

constexpr uint32_t kRed = 0xFFFF0000, kGreen = 0xFF00FF00, kBlue = 0xFF0000FF,
                   kWhite = 0xFFFFFFFF, kGrey = 0xFF808080, kBlack = 0xFF000000,
                   kMagenta = 0xFFFF00FF, kYellow = 0xFFFFFF00;

// A skin folder with images, the manager that loads from it, and a canvas to draw on.
class ImageTest : public ::testing::Test {
protected:
    void SetUp() override {
        CWindowManagerUI::SetSkinRoot(dir_.path().c_str());
        // 6 x 6: 2 x 2 corners red, green, blue, white; grey edges and middle.
        std::vector<uint32_t> grid(36, kGrey);
        for (int y = 0; y < 2; ++y)
            for (int x = 0; x < 2; ++x) {
                grid[y * 6 + x] = kRed;
                grid[y * 6 + x + 4] = kGreen;
                grid[(y + 4) * 6 + x] = kBlue;
                grid[(y + 4) * 6 + x + 4] = kWhite;
            }
        Write(L"grid.png", MakePng(6, 6, grid));
        // 4 x 1 columns red, green, blue, white: tiles show where each copy starts.
        Write(L"cols.png", MakePng(4, 1, {kRed, kGreen, kBlue, kWhite}));
        Write(L"rows.png", MakePng(1, 4, {kRed, kGreen, kBlue, kWhite}));
        Write(L"magenta.png", MakePng(2, 1, {kMagenta, kYellow}));
        Write(L"half.png", MakePng(1, 1, {0x80C86400}));  // red 200, green 100, blue 0, alpha 128
        Write(L"my image.png", MakePng(1, 1, {kGreen}));
    }
    void Write(const wchar_t* name, const std::string& bytes) {
        ASSERT_TRUE(testutil::WriteBytes(dir_ / name, bytes));
    }
    bool Draw(Canvas& c, const wchar_t* description, RECT item, TImageDrawInfo* keep = nullptr) {
        TImageDrawInfo local;
        TImageDrawInfo& info = keep ? *keep : local;
        if (info.description.IsEmpty()) info.description = description;
        RECT paint = {0, 0, c.width(), c.height()};
        return CRenderer::DrawImageDescriptor(c.dc(), &mgr_, item, paint, info);
    }

    testutil::TempDir dir_{L"img"};
    CWindowManagerUI mgr_;
};

TEST_F(ImageTest, NineGridKeepsCornersAndStretchesTheRest) {
    struct Case {
        const wchar_t* description;
        uint32_t background;
        bool blended;
    };
    const Case cases[] = {
        {L"file='grid.png' corner='2,2,2,2'", kBlack, false},
        // A fade below 255 goes through the blend for every piece.
        {L"file='grid.png' corner='2,2,2,2' fade='254'", kBlack, true},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(testutil::Narrow(k.description));
        Canvas c(40, 30, k.background);
        ASSERT_TRUE(Draw(c, k.description, {0, 0, 40, 30}));
        const int tol = k.blended ? 8 : 0;
        EXPECT_LE(ColorDistance(c.At(0, 0), kRed), tol);
        EXPECT_LE(ColorDistance(c.At(1, 1), kRed), tol);
        EXPECT_LE(ColorDistance(c.At(39, 0), kGreen), tol);
        EXPECT_LE(ColorDistance(c.At(38, 1), kGreen), tol);
        EXPECT_LE(ColorDistance(c.At(0, 29), kBlue), tol);
        EXPECT_LE(ColorDistance(c.At(39, 29), kWhite), tol);
        // Corners stay 2 pixels, whatever the target size.
        EXPECT_LE(ColorDistance(c.At(2, 2), kGrey), tol);
        EXPECT_LE(ColorDistance(c.At(20, 0), kGrey), tol);
        EXPECT_LE(ColorDistance(c.At(20, 15), kGrey), tol);
        EXPECT_LE(ColorDistance(c.At(37, 27), kGrey), tol);
    }
}

TEST_F(ImageTest, DestHoleAndFadePlaceOnlyWhatTheyAsk) {
    {
        Canvas c(40, 40, kBlack);
        ASSERT_TRUE(Draw(c, L"file='grid.png' dest='0,0,16,16'", {0, 0, 40, 40}));
        EXPECT_EQ(c.At(0, 0) & 0xFFFFFF, kRed & 0xFFFFFF);
        EXPECT_EQ(c.At(15, 15) & 0xFFFFFF, kWhite & 0xFFFFFF);
        EXPECT_EQ(c.At(16, 16), kBlack);
        EXPECT_EQ(c.Count({16, 0, 40, 40}, kBlack, 0), 24 * 40);
    }
    {
        Canvas c(30, 30, kBlack);
        ASSERT_TRUE(Draw(c, L"file='grid.png' corner='2,2,2,2' hole='true'", {0, 0, 30, 30}));
        EXPECT_EQ(c.At(0, 0) & 0xFFFFFF, kRed & 0xFFFFFF);
        EXPECT_EQ(c.Count({2, 2, 28, 28}, kBlack, 0), 26 * 26);
    }
    {
        Canvas c(10, 10, kBlack);
        ASSERT_TRUE(Draw(c, L"file='grid.png' source='2,2,4,4' fade='128'", {0, 0, 10, 10}));
        EXPECT_LE(ColorDistance(c.At(5, 5), 0xFF404040), 3);  // grey at half strength over black
    }
}

TEST_F(ImageTest, TilingRepeatsTheSourceAndCutsTheLastTile) {
    {
        Canvas c(10, 3, kBlack);
        ASSERT_TRUE(Draw(c, L"file='cols.png' xtiled='true'", {0, 0, 10, 3}));
        const uint32_t expect[10] = {kRed, kGreen, kBlue, kWhite, kRed, kGreen, kBlue, kWhite, kRed, kGreen};
        for (int x = 0; x < 10; ++x) EXPECT_EQ(c.At(x, 2) & 0xFFFFFF, expect[x] & 0xFFFFFF) << x;
    }
    {
        Canvas c(2, 6, kBlack);
        ASSERT_TRUE(Draw(c, L"file='rows.png' ytiled='true'", {0, 0, 2, 6}));
        EXPECT_EQ(c.At(1, 4) & 0xFFFFFF, kRed & 0xFFFFFF);
        EXPECT_EQ(c.At(1, 5) & 0xFFFFFF, kGreen & 0xFFFFFF);
    }
    {
        Canvas c(9, 9, kBlack);
        ASSERT_TRUE(Draw(c, L"file='grid.png' source='0,0,2,2' xtiled='true' ytiled='true'", {0, 0, 9, 9}));
        EXPECT_EQ(c.Count({0, 0, 9, 9}, kRed, 0), 81);
    }
    // Over a huge area only the tiles inside the painted part are drawn, each in its place.
    {
        Canvas c(10, 3, kBlack);
        const auto start = std::chrono::steady_clock::now();
        ASSERT_TRUE(Draw(c, L"file='cols.png' xtiled='true' ytiled='true'", {-1000003, -1000000, 1000000, 1000000}));
        EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
        EXPECT_EQ(c.At(0, 2) & 0xFFFFFF, kWhite & 0xFFFFFF);
        EXPECT_EQ(c.At(1, 2) & 0xFFFFFF, kRed & 0xFFFFFF);
        EXPECT_EQ(c.At(3, 0) & 0xFFFFFF, kBlue & 0xFFFFFF);
        EXPECT_EQ(c.At(9, 0) & 0xFFFFFF, kRed & 0xFFFFFF);
    }
    // A source of no width: nothing to repeat, and the call must still come back.
    for (const wchar_t* d : {L"file='cols.png' source='2,0,2,1' xtiled='true'",
                             L"file='rows.png' source='0,2,1,2' ytiled='true'",
                             L"file='cols.png' source='2,0,2,1' xtiled='true' ytiled='true'"}) {
        Canvas c(50, 50, kBlack);
        const auto start = std::chrono::steady_clock::now();
        Draw(c, d, {0, 0, 50, 50});
        EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
        EXPECT_EQ(c.Count({0, 0, 50, 50}, kBlack, 0), 2500);
    }
}

TEST_F(ImageTest, PixelsArePremultipliedAndMaskedOut) {
    TImageData* half = CRenderer::LoadImage((dir_ / L"half.png").c_str());
    ASSERT_NE(half, nullptr);
    EXPECT_TRUE(half->alpha);
    EXPECT_EQ(half->pixels[0], 0x80643200u);  // alpha 128, red 100, green 50, blue 0
    CRenderer::ReleaseImage(half, true);

    TImageData* opaque = CRenderer::LoadImage((dir_ / L"magenta.png").c_str());
    ASSERT_NE(opaque, nullptr);
    EXPECT_FALSE(opaque->alpha);
    CRenderer::ReleaseImage(opaque, true);

    Canvas c(2, 1, kBlue);
    ASSERT_TRUE(Draw(c, L"file='magenta.png' mask='#FFFF00FF'", {0, 0, 2, 1}));
    EXPECT_EQ(c.At(0, 0) & 0xFFFFFF, kBlue & 0xFFFFFF);  // the masked pixel lets the background through
    EXPECT_EQ(c.At(1, 0) & 0xFFFFFF, kYellow & 0xFFFFFF);
}

TEST_F(ImageTest, DescriptionsNamesAndFailedLoads) {
    Canvas c(4, 4, kBlack);
    // A bare name is the whole description, spaces and all.
    EXPECT_TRUE(Draw(c, L"my image.png", {0, 0, 4, 4}));
    EXPECT_EQ(c.At(3, 3) & 0xFFFFFF, kGreen & 0xFFFFFF);
    // A source larger than the image is cut to it.
    TImageDrawInfo info;
    info.description = L"file='grid.png' source='0,0,100,100'";
    EXPECT_TRUE(Draw(c, nullptr, {0, 0, 4, 4}, &info));
    EXPECT_EQ(info.source.right, 6);
    EXPECT_EQ(info.source.bottom, 6);
    // A missing image fails once and is not looked for again until the description changes.
    TImageDrawInfo missing;
    missing.description = L"file='nothere.png'";
    EXPECT_FALSE(Draw(c, nullptr, {0, 0, 4, 4}, &missing));
    Write(L"nothere.png", MakePng(1, 1, {kRed}));
    EXPECT_FALSE(Draw(c, nullptr, {0, 0, 4, 4}, &missing));
    missing.Clear();
    missing.description = L"file='nothere.png'";
    EXPECT_TRUE(Draw(c, nullptr, {0, 0, 4, 4}, &missing));
    // A number list that ends early: the missing values are 0.
    TImageDrawInfo shortList;
    shortList.description = L"file='grid.png' dest='2,2'";
    EXPECT_TRUE(CRenderer::DrawImageDescriptor(nullptr, &mgr_, {0, 0, 4, 4}, {0, 0, 4, 4}, shortList));
    EXPECT_EQ(shortList.dest.left, 2);
    EXPECT_EQ(shortList.dest.right, 0);
}

TEST_F(ImageTest, HugeOrBrokenImagesAreRefusedBeforeDecoding) {
    struct Case {
        const wchar_t* name;
        std::string bytes;
    };
    const Case cases[] = {
        {L"wide.png", rendertest::MakePngHeaderOnly(100000, 100000)},
        {L"tall.png", rendertest::MakePngHeaderOnly(1, 0x7FFFFFFF)},
        {L"many.png", rendertest::MakePngHeaderOnly(16000, 16000)},
        {L"garbage.png", std::string("\x89PNG\r\n\x1a\n garbage", 17)},
        {L"empty.png", std::string()},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(testutil::Narrow(k.name));
        Write(k.name, k.bytes);
        const auto start = std::chrono::steady_clock::now();
        EXPECT_EQ(CRenderer::LoadImage((dir_ / k.name).c_str()), nullptr);
        EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
    }
}

TEST_F(ImageTest, SoftwareBlendMatchesTheSystemBlend) {
    // Translucent premultiplied pixels over a coloured background, with and without a fade.
    std::vector<uint32_t> px;
    for (int i = 0; i < 16; ++i) px.push_back(static_cast<uint32_t>(i * 16) << 24 | 0x00C86432);
    Write(L"ramp.png", MakePng(16, 1, px));
    TImageData* img = mgr_.GetOrLoadImage(L"ramp.png");
    ASSERT_NE(img, nullptr);
    // The manager has loaded msimg32.dll, so the comparison is with the system's blend.
    ASSERT_NE(Veneer::GetAlphaBlend(), &CRenderer::SoftwareAlphaBlend);
    for (BYTE fade : {BYTE(255), BYTE(100)}) {
        Canvas sys(16, 1, 0xFF2080F0), soft(16, 1, 0xFF2080F0);
        HDC mem = CreateCompatibleDC(nullptr);
        HGDIOBJ old = SelectObject(mem, img->bitmap);
        const BLENDFUNCTION bf = {AC_SRC_OVER, 0, fade, AC_SRC_ALPHA};
        ASSERT_TRUE(Veneer::GetAlphaBlend()(sys.dc(), 0, 0, 16, 1, mem, 0, 0, 16, 1, bf));
        ASSERT_TRUE(CRenderer::SoftwareAlphaBlend(soft.dc(), 0, 0, 16, 1, mem, 0, 0, 16, 1, bf));
        SelectObject(mem, old);
        DeleteDC(mem);
        for (int x = 0; x < 16; ++x)
            EXPECT_LE(ColorDistance(sys.At(x, 0), soft.At(x, 0)), 2) << "fade " << int(fade) << " x " << x;
    }
}

TEST(Shapes, FillsAreOpaqueOrPremultipliedTranslucent) {
    struct Case {
        uint32_t color;
        uint32_t expect;
    };
    const Case cases[] = {
        {0x00FFFFFF, kBlack},      // alpha 0: nothing
        {0xFF3366CC, 0xFF3366CC},  // opaque
        {0x80FFFFFF, 0xFF808080},  // half white over black is mid grey, not white
        {0x40FF0000, 0xFF400000},
    };
    for (const Case& k : cases) {
        Canvas c(8, 8, kBlack);
        CRenderer::FillColor(c.dc(), {2, 2, 6, 6}, k.color);
        EXPECT_LE(ColorDistance(c.At(3, 3), k.expect), 2) << std::hex << k.color;
        EXPECT_EQ(c.At(0, 0), kBlack);
        EXPECT_EQ(c.At(6, 6), kBlack);
    }
}

TEST(Shapes, GradientsEndInTheirColours) {
    for (bool vertical : {true, false}) {
        Canvas c(64, 64, kBlack);
        CRenderer::DrawGradient(c.dc(), {0, 0, 64, 64}, kRed, kBlue, vertical, 64);
        EXPECT_LE(ColorDistance(c.At(0, 0), kRed), 8);
        EXPECT_LE(ColorDistance(vertical ? c.At(0, 63) : c.At(63, 0), kBlue), 8);
        EXPECT_LE(ColorDistance(vertical ? c.At(63, 0) : c.At(0, 63), kRed), 8);
    }
    // Half-transparent ends blend the gradient at half strength over what is there.
    Canvas c(32, 32, kBlack);
    CRenderer::DrawGradient(c.dc(), {0, 0, 32, 32}, 0x80FFFFFF, 0x80FFFFFF, true, 32);
    EXPECT_LE(ColorDistance(c.At(16, 16), 0xFF808080), 3);
    // Transparent ends draw nothing.
    CRenderer::DrawGradient(c.dc(), {0, 0, 32, 32}, 0x00FFFFFF, 0x00FFFFFF, true, 32);
    EXPECT_LE(ColorDistance(c.At(16, 16), 0xFF808080), 3);
}

TEST(Shapes, BordersLinesAndRoundRectsStayOnTheFrame) {
    Canvas c(20, 20, kBlack);
    CRenderer::DrawRect(c.dc(), {2, 2, 18, 18}, 2, kRed);
    EXPECT_EQ(c.At(2, 2) & 0xFFFFFF, kRed & 0xFFFFFF);
    EXPECT_EQ(c.At(3, 10) & 0xFFFFFF, kRed & 0xFFFFFF);
    EXPECT_EQ(c.At(17, 17) & 0xFFFFFF, kRed & 0xFFFFFF);
    EXPECT_EQ(c.At(4, 10), kBlack);  // inside the 2-pixel frame
    EXPECT_EQ(c.At(1, 1), kBlack);
    EXPECT_EQ(c.Count({4, 4, 16, 16}, kBlack, 0), 144);

    Canvas l(20, 20, kBlack);
    CRenderer::DrawLine(l.dc(), {0, 5, 20, 5}, 1, kGreen);
    EXPECT_EQ(l.Count({0, 5, 19, 6}, kGreen, 0), 19);
    EXPECT_EQ(l.Count({0, 0, 20, 5}, kBlack, 0), 100);

    Canvas r(20, 20, kBlack);
    CRenderer::DrawRoundRect(r.dc(), {0, 0, 20, 20}, 1, 8, 8, kBlue);
    EXPECT_EQ(r.At(0, 0), kBlack);  // the corner is rounded off
    EXPECT_EQ(r.At(10, 0) & 0xFFFFFF, kBlue & 0xFFFFFF);
    EXPECT_EQ(r.Count({2, 2, 18, 18}, kBlack, 0), 256);
}

TEST(Shapes, ClipScopeLimitsDrawingAndRestores) {
    Canvas c(20, 20, kBlack);
    {
        Veneer::CClipScope scope;
        Veneer::CClipScope::ClipToRect(c.dc(), {5, 5, 10, 10}, scope);
        CRenderer::FillColor(c.dc(), {0, 0, 20, 20}, kWhite);
        EXPECT_EQ(c.Count({0, 0, 20, 20}, kWhite, 0), 25);
        scope.SelectOldRegion(c.dc());
        CRenderer::FillColor(c.dc(), {0, 0, 1, 1}, kRed);
        EXPECT_EQ(c.At(0, 0) & 0xFFFFFF, kRed & 0xFFFFFF);
    }
    CRenderer::FillColor(c.dc(), {0, 0, 20, 20}, kGreen);
    EXPECT_EQ(c.Count({0, 0, 20, 20}, kGreen, 0), 400);
    {
        Veneer::CClipScope scope;
        Veneer::CClipScope::ClipToRoundRect(c.dc(), {0, 0, 20, 20}, {0, 0, 19, 19}, 10, 10, scope);
        CRenderer::FillColor(c.dc(), {0, 0, 20, 20}, kBlue);
        EXPECT_EQ(c.At(0, 0) & 0xFFFFFF, kGreen & 0xFFFFFF);
        EXPECT_EQ(c.At(10, 10) & 0xFFFFFF, kBlue & 0xFFFFFF);
    }
}

TEST(Hsl, NeutralKeepsColoursAndTheConversionsInvertEachOther) {
    for (uint32_t color : {0xFF123456u, 0x80FF0000u, 0xFF808080u, 0xFFFFFFFFu, 0xFF000000u}) {
        EXPECT_EQ(CRenderer::AdjustColorHsl(color, 180, 100, 100), color);
        // A full turn of hue is neutral too (through the conversions).
        EXPECT_LE(ColorDistance(CRenderer::AdjustColorHsl(color, 179, 100, 100), color), 8) << std::hex << color;
        EXPECT_EQ(CRenderer::AdjustColorHsl(color, 179, 100, 100) >> 24, color >> 24);
    }
    // Half the lightness darkens, no saturation greys.
    EXPECT_LE(ColorDistance(CRenderer::AdjustColorHsl(0xFFFF0000, 180, 100, 50), 0xFF800000), 2);
    const uint32_t grey = CRenderer::AdjustColorHsl(0xFFFF0000, 180, 0, 100);
    EXPECT_EQ((grey >> 16) & 0xFF, grey & 0xFF);
    // Red turned by 120 degrees is green.
    EXPECT_LE(ColorDistance(CRenderer::AdjustColorHsl(0xFFFF0000, 300, 100, 100), kGreen), 2);
}

}  // namespace

namespace {

// Images come out of the skin archive, kept open by the manager or opened per load; a name
// that the archive lacks falls back to a path as given.
TEST(SkinZipImages, LoadFromArchiveFileAndMemory) {
    testutil::TempDir dir(L"zipimg");
    const std::string png = MakePng(3, 2, std::vector<uint32_t>(6, 0xFF00FF00));
    const coretest::ZipImage zip = coretest::BuildZip(
        {{"skin/Bk.png", png, 8}, {"stored.png", png, 0}, {"empty.png", "", 0}});
    ASSERT_TRUE(testutil::WriteBytes(dir / L"skin.zip", zip.bytes));
    ASSERT_TRUE(testutil::WriteBytes(dir / L"outside.png", png));
    CWindowManagerUI::SetSkinRoot(dir.path().c_str());

    for (bool keepOpen : {false, true}) {
        SCOPED_TRACE(keepOpen);
        CWindowManagerUI::SetSkinZip(L"skin.zip", keepOpen);
        EXPECT_EQ(CWindowManagerUI::GetZipHandle() != nullptr, keepOpen);
        for (const wchar_t* name : {L"skin\\bk.PNG", L"stored.png"}) {
            TImageData* img = CRenderer::LoadImage(name);
            ASSERT_NE(img, nullptr) << testutil::Narrow(name);
            EXPECT_EQ(img->width, 3);
            EXPECT_EQ(img->pixels[5], 0xFF00FF00u);
            CRenderer::ReleaseImage(img, true);
        }
        EXPECT_EQ(CRenderer::LoadImage(L"empty.png"), nullptr);
        TImageData* outside = CRenderer::LoadImage((dir / L"outside.png").c_str());
        EXPECT_NE(outside, nullptr);
        CRenderer::ReleaseImage(outside, true);
    }

    // The zip held in memory: the first block handed over stays in force for the process.
    CWindowManagerUI::SetSkinZip(L"", true);
    CWindowManagerUI::SetSkinZip(zip.bytes.data(), static_cast<unsigned>(zip.bytes.size()));
    Veneer::TZipArchive* first = CWindowManagerUI::GetZipHandle();
    ASSERT_NE(first, nullptr);
    EXPECT_STREQ(CWindowManagerUI::GetSkinZipName().GetData(), L"membuffer");
    const std::string other = coretest::BuildZip({{"x.png", png, 0}}).bytes;
    CWindowManagerUI::SetSkinZip(other.data(), static_cast<unsigned>(other.size()));
    EXPECT_EQ(CWindowManagerUI::GetZipHandle(), first);
    TImageData* img = CRenderer::LoadImage(L"stored.png");
    ASSERT_NE(img, nullptr);
    CRenderer::ReleaseImage(img, true);
}

}  // namespace

namespace {

// Resource 101 of type PNG is compiled into this program (a 3 x 2 image of 0x3366CC).
TEST(ResourceImages, ResourceNamesNeedTheirTypeAndAreNumbers) {
    CWindowManagerUI::SetInstance(GetModuleHandleW(nullptr));
    testutil::TempDir dir(L"resimg");
    CWindowManagerUI::SetSkinRoot(dir.path().c_str());
    ASSERT_TRUE(testutil::WriteBytes(dir / L"a.png", MakePng(1, 1, {kRed})));
    CWindowManagerUI mgr;
    TImageData* res = mgr.AddImage(L"101", L"PNG");
    ASSERT_NE(res, nullptr);
    EXPECT_EQ(res->width, 3);
    EXPECT_EQ(res->pixels[0], 0xFF3366CCu);
    EXPECT_STREQ(res->resourceType.GetData(), L"PNG");
    EXPECT_EQ(mgr.AddImage(L"102", L"PNG"), nullptr);

    Canvas c(4, 4, kBlack);
    const RECT all = {0, 0, 4, 4};
    TImageDrawInfo fromRes;
    fromRes.description = L"res='101' restype='PNG'";
    EXPECT_TRUE(CRenderer::DrawImageDescriptor(c.dc(), &mgr, all, all, fromRes));
    EXPECT_EQ(c.At(2, 3), 0xFF3366CCu);
    // A type without "res" is ignored: the name is a file.
    TImageDrawInfo fromFile;
    // (A full path: other cases of this program may have switched the process to a skin zip.)
    fromFile.description = (L"file='" + (dir / L"a.png") + L"' restype='PNG'").c_str();
    EXPECT_TRUE(CRenderer::DrawImageDescriptor(c.dc(), &mgr, all, all, fromFile));
    EXPECT_EQ(c.At(2, 3) & 0xFFFFFF, kRed & 0xFFFFFF);
}

}  // namespace
