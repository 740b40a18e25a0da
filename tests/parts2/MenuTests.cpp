// Menu kit: panel and label hit tests with their edges, layout, hover, colours, the text cache,
// and the menu's boxes drawn through the render device and read back.
#include "Parts2Test.h"
#include "paneeli.h"
#include "simpleMenu.h"
#include "textCache.h"
#include <gtest/gtest.h>

using namespace parts2test;

TEST(Menu, PanelHitTestIncludesRightAndBottomEdges)
{
    paneeli panel;
    panel.init(7);
    EXPECT_EQ(panel.tag, 7);
    EXPECT_EQ(panel.width, 30);
    EXPECT_EQ(panel.height, 50);
    EXPECT_TRUE(panel.isInBounds(0, 0));
    EXPECT_TRUE(panel.isInBounds(30, 50));
    EXPECT_FALSE(panel.isInBounds(31, 10));
    EXPECT_FALSE(panel.isInBounds(10, 51));
    EXPECT_FALSE(panel.isInBounds(-1, 10));
    panel.x = 0x7FFFFFF0; // near the end of the int range the test must not wrap
    EXPECT_TRUE(panel.isInBounds(0x7FFFFFFF, 0));
    EXPECT_FALSE(panel.isInBounds(0, 0));
}

TEST(Menu, ColourBytesClampAndRound)
{
    textParams t;
    t.setColorBytes(D3DXCOLOR(1.5f, -0.2f, 0.5f, 0.1f));
    EXPECT_EQ(t.rgba[0], 255);
    EXPECT_EQ(t.rgba[1], 0);
    EXPECT_EQ(t.rgba[2], 128); // 127.5 + 0.5
    EXPECT_EQ(t.rgba[3], 26);  // 25.5 + 0.5
    t.setSelectedColorBytes(D3DXCOLOR(0.0f, 1.0f, 0.2f, 1.0f));
    EXPECT_EQ(t.selectedRgba[1], 255);
    EXPECT_EQ(t.selectedRgba[2], 51);
    EXPECT_EQ(t.rgba[0], 255) << "the other bytes are kept";

    t.text = advString("abc");
    textParams copy(t);
    t.text = advString("changed");
    EXPECT_STREQ(copy.text.GetString(), "abc");
    EXPECT_EQ(copy.rgba[2], 128);
}

TEST(Menu, ConstructionHidesItemsAndLayoutPlacesThem)
{
    simpleMenu menu(4, 0);
    EXPECT_EQ(menu.itemCount, 4);
    EXPECT_EQ(menu.x, 10);
    EXPECT_EQ(menu.y, 20);
    EXPECT_EQ(menu.width, 300);
    for (int i = 0; i < 4; ++i) {
        EXPECT_TRUE(menu.items[i].hidden);
        EXPECT_EQ(menu.items[i].x, 0);
        EXPECT_EQ(menu.items[i].y, 0);
        EXPECT_STREQ(menu.items[i].text.GetString(), "koe");
        EXPECT_STREQ(menu.items[i].fontName.GetString(), "arial");
    }
    menu.UpdateMenuItems();
    EXPECT_EQ(menu.items[3].x, 50);
    EXPECT_EQ(menu.items[3].y, 125);
    EXPECT_EQ(menu.items[1].y, 75);
    EXPECT_EQ(menu.items[3].index, 3);
    EXPECT_TRUE(menu.items[3].shown);
    EXPECT_TRUE(menu.items[3].hidden) << "layout does not show items";
}

TEST(Menu, HoverIsTestedRelativeToTheMenu)
{
    simpleMenu menu(4, 0);
    menu.UpdateMenuItems();
    // Item 3 at (50, 125) with the menu at (10, 20): hovered at (70, 145).
    menu.updateMenuItmes(70, 145);
    EXPECT_TRUE(menu.items[3].hover);
    EXPECT_EQ(menu.items[3].currentColor, 0xFF6464C8u);
    EXPECT_FALSE(menu.items[2].hover);
    EXPECT_EQ(menu.items[2].currentColor, 0xFFC864FFu);
    // The label's far corner (50 + 120, 125 + 12) is inside; one more pixel is not.
    menu.updateMenuItmes(10 + 170, 20 + 137);
    EXPECT_TRUE(menu.items[3].hover);
    menu.updateMenuItmes(10 + 171, 20 + 137);
    EXPECT_FALSE(menu.items[3].hover);

    // isInLabelBounds takes the point as it is.
    EXPECT_TRUE(menu.isInLabelBounds(3, 50, 125));
    EXPECT_TRUE(menu.isInLabelBounds(3, 170, 137));
    EXPECT_FALSE(menu.isInLabelBounds(3, 70, 145 + 20));
    EXPECT_FALSE(menu.isInLabelBounds(4, 50, 125));
    EXPECT_FALSE(menu.isInLabelBounds(-1, 50, 125));

    menu.setMenuPosition(0, 0);
    menu.updateMenuItmes(60, 50);
    EXPECT_TRUE(menu.items[0].hover);
}

TEST(Menu, ToggleSelectionFollowsHover)
{
    simpleMenu menu(2, 0);
    menu.UpdateMenuItems();
    menu.items[0].currentColor = 0x12345678;
    menu.toggleSelection(0);
    EXPECT_EQ(menu.items[0].currentColor, 0xFFC864FFu);
    menu.items[1].hover = true;
    menu.toggleSelection(1);
    EXPECT_EQ(menu.items[1].currentColor, 0xFF6464C8u);
    menu.toggleSelection(2); // out of range: nothing happens
}

TEST(Menu, TextCacheKeepsItsFirstSize)
{
    textCache cache;
    EXPECT_FALSE(cache.ready);
    cache.init(3);
    EXPECT_TRUE(cache.ready);
    ASSERT_NE(cache.entries, nullptr);
    EXPECT_EQ(cache.EntryCount(), 3);
    textParams* first = cache.entries;
    for (int i = 0; i < 3; ++i) cache.entries[i].text = advString("x");
    cache.init(2);
    EXPECT_EQ(cache.entries, first);
    EXPECT_EQ(cache.entries[0].text.AnnaPituus(), 0);
    EXPECT_EQ(cache.entries[1].text.AnnaPituus(), 0);
    EXPECT_STREQ(cache.entries[2].text.GetString(), "x");
    cache.init(1000); // more than it has: only its own entries are emptied
    EXPECT_EQ(cache.EntryCount(), 3);
    EXPECT_EQ(cache.entries[2].text.AnnaPituus(), 0);
}

// itemCount is a public field: set past the items made, layout, hover, selection and drawing
// stay within them (past them lay other memory, written and read before).
TEST(Menu, ItemCountSetPastTheItemsStaysWithinThem)
{
    ASSERT_NE(D3D(), nullptr);
    simpleMenu menu(3, 0);
    menu.itemCount = 1 << 20;
    menu.UpdateMenuItems();
    menu.setMenuPosition(0, 0);
    for (int i = 0; i < 3; ++i) menu.items[i].hidden = false;
    menu.updateMenuItmes(55, 80);
    EXPECT_TRUE(menu.items[1].hover);
    EXPECT_TRUE(menu.isInLabelBounds(2, 55, 105));
    EXPECT_FALSE(menu.isInLabelBounds(3, 55, 130)) << "no fourth item";
    menu.toggleSelection(5000);
    BeginFrame(0xFF000000);
    menu.Render(static_cast<OXED3D*>(Device()));
    testsupport::Picture p = EndFrameAndRead();
    EXPECT_EQ(p.rgb(54, 54), 0xC864FFu);
    EXPECT_EQ(p.rgb(54, 129), 0u) << "no fourth box";
}

TEST(Menu, RenderDrawsShownItemsInTheirColours)
{
    ASSERT_NE(D3D(), nullptr);
    OXED3D* device = static_cast<OXED3D*>(Device());
    simpleMenu menu(3, 0);

    // Fresh: all items hidden, nothing drawn.
    BeginFrame(0xFF000000);
    menu.Render(device);
    testsupport::Picture p = EndFrameAndRead();
    EXPECT_EQ(p.count(0), p.width * p.height);

    menu.UpdateMenuItems();
    menu.setMenuPosition(0, 0);
    for (int i = 0; i < 3; ++i) menu.items[i].hidden = false;
    menu.items[2].hidden = true;
    menu.items[1].text.initText(); // no label text
    menu.updateMenuItmes(55, 80);  // over item 1
    BeginFrame(0xFF000000);
    menu.Render(device);
    p = EndFrameAndRead();
    // Item 0 at (50, 50), normal colour; item 1 at (50, 75), hover colour; item 2 hidden.
    EXPECT_EQ(p.rgb(54, 54), 0xC864FFu);
    EXPECT_EQ(p.rgb(54, 79), 0x6464C8u);
    EXPECT_EQ(p.rgb(54, 104), 0u);
    EXPECT_GT(p.count(0xC864FF, 48, 48, 64, 64), 80);
    EXPECT_EQ(p.count(0xC864FF, 64, 40, 200, 70), 0) << "a box is 10 pixels wide";
    // Item 0's label text is drawn right of its box; item 1 has none.
    EXPECT_GT(p.width * p.height - p.count(0) - p.count(0xC864FF) - p.count(0x6464C8), 0);
    int label0 = 0, label1 = 0;
    for (int y = 48; y < 66; ++y)
        for (int x = 62; x < 120; ++x) label0 += p.rgb(x, y) != 0;
    for (int y = 73; y < 91; ++y)
        for (int x = 62; x < 120; ++x) label1 += p.rgb(x, y) != 0;
    EXPECT_GT(label0, 5);
    EXPECT_EQ(label1, 0);

    // The panel, when asked for, lies behind the items.
    menu.showPanel = true;
    menu.items[0].text.initText();
    BeginFrame(0xFF000000);
    menu.Render(device);
    p = EndFrameAndRead();
    // Its colour is blue with some transparency: over black, blue dominates.
    const uint32_t panel = p.rgb(250, 150);
    EXPECT_GT(panel & 0xFF, (panel >> 16) & 0xFF) << std::hex << panel;
    EXPECT_EQ(p.rgb(54, 54), 0xC864FFu);
    EXPECT_EQ(p.rgb(350, 150), 0u);
}
