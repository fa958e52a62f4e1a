#include "base/window_geometry.h"

#include <gtest/gtest.h>

using namespace kestrova;

namespace {

bool Same(const WindowGeometry& a, const WindowGeometry& b)
{
    return a.InnerWidth == b.InnerWidth && a.InnerHeight == b.InnerHeight && a.X == b.X && a.Y == b.Y;
}

}  // namespace

TEST(WindowGeometry, AskedGeometryIsReadAsWritten)
{
    EXPECT_TRUE(Same(AskedWindowGeometry(""), WindowGeometry{712, 600, -1, -1}));
    EXPECT_TRUE(Same(AskedWindowGeometry("LargeurFenetre = 900\r\nHauteurFenetre = 700\r\nPosFenetreX = 12\r\n"
                                         "PosFenetreY = 34\r\n"),
                     WindowGeometry{900, 700, 12, 34}));
}

TEST(WindowGeometry, WhatTheScreenForcedIsNotWrittenBack)
{
    // A scaled display: 640 x 512 device-independent pixels shrank and
    // centred the window; left alone, it is written as asked.
    const WindowGeometry asked{712, 600, 40, 30};
    const WindowGeometry given{640, 512, 0, 0};
    EXPECT_TRUE(Same(GeometryToSave(asked, given, given), asked));
    // Resized by the user: the new size, the position as asked.
    EXPECT_TRUE(Same(GeometryToSave(asked, given, {500, 400, 0, 0}), WindowGeometry{500, 400, 40, 30}));
    // Moved by the user: the new position, the size as asked.
    EXPECT_TRUE(Same(GeometryToSave(asked, given, {640, 512, 70, 80}), WindowGeometry{712, 600, 70, 80}));
    // Nothing forced and nothing changed: the same geometry.
    EXPECT_TRUE(Same(GeometryToSave(asked, asked, asked), asked));
}
