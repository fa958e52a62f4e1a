// The page source viewer's save keeps each line's own end: a page with mixed
// line ends changes only on the lines that were edited.
#include <gtest/gtest.h>

#include <string>

#include "site/page_source.h"

namespace kestrova {
namespace {

TEST(PageSourceLineEnds, UntouchedLinesKeepTheirEnds)
{
    const std::string page = "<html>\r\n<head>\n<title>T</title>\r<body>\r\n<p>a</p>\n</body>\r\n</html>";
    const std::string editor = WithEditorLineEnds(page);
    ASSERT_EQ(editor, "<html>\n<head>\n<title>T</title>\n<body>\n<p>a</p>\n</body>\n</html>");
    // Nothing changed: the page comes back byte for byte.
    EXPECT_EQ(WithOwnLineEnds(editor, page, "\r\n"), page);

    // One line changed: only that line is different.
    std::string edited = editor;
    edited.replace(edited.find("<p>a</p>"), 8, "<p>b</p>");
    EXPECT_EQ(WithOwnLineEnds(edited, page, "\r\n"),
              "<html>\r\n<head>\n<title>T</title>\r<body>\r\n<p>b</p>\n</body>\r\n</html>");

    // A line added in the middle takes the page's first style; the lines
    // around it keep theirs.
    edited = editor;
    edited.insert(edited.find("<p>a</p>"), "<hr>\n");
    EXPECT_EQ(WithOwnLineEnds(edited, page, "\r\n"),
              "<html>\r\n<head>\n<title>T</title>\r<body>\r\n<hr>\r\n<p>a</p>\n</body>\r\n</html>");

    // A line removed.
    edited = editor;
    edited.erase(edited.find("<title>T</title>\n"), 17);
    EXPECT_EQ(WithOwnLineEnds(edited, page, "\r\n"), "<html>\r\n<head>\n<body>\r\n<p>a</p>\n</body>\r\n</html>");

    // A final line end, and text typed after the last line.
    EXPECT_EQ(WithOwnLineEnds("a\nb\n", "a\rb\r", "\r"), "a\rb\r");
    EXPECT_EQ(WithOwnLineEnds("a\nb\nc", "a\rb\n", "\r"), "a\rb\nc");
    EXPECT_EQ(WithOwnLineEnds("x", "", "\n"), "x");
}

}  // namespace
}  // namespace kestrova
