#include "GuiTestSupport.h"

#include "gui/CommandIds.h"

namespace {

using DelimiterTest = AppTest;

TEST_F(DelimiterTest, EachItemSetsItsValueAndKeepsExactlyOneMark)
{
    // Every order of choosing, the checked item included.
    const int sequence[] = {ID_DELIMITER_NEWLINE, ID_DELIMITER_COMMA,     ID_DELIMITER_COMMA,
                            ID_DELIMITER_SPACE,   ID_DELIMITER_SEMICOLON, ID_DELIMITER_SEMICOLON,
                            ID_DELIMITER_NEWLINE};
    for (int id : sequence) {
        SCOPED_TRACE(id);
        EXPECT_TRUE(SendMenuCommand(id));
        EXPECT_EQ(app().receiverDelimiter, id - ID_DELIMITER_SEMICOLON);
        EXPECT_EQ(CheckedDelimiterItems(app().settingsMenu), std::vector<int>{id});
    }
}

TEST_F(DelimiterTest, StartsWithSemicolonCheckedAndIgnoresOtherIdentifiers)
{
    EXPECT_EQ(app().receiverDelimiter, 0);
    EXPECT_EQ(CheckedDelimiterItems(app().settingsMenu), std::vector<int>{ID_DELIMITER_SEMICOLON});

    wxCommandEvent stray(wxEVT_MENU, ID_SAVE);
    EXPECT_FALSE(app().ProcessEventLocally(stray));
    EXPECT_EQ(app().receiverDelimiter, 0);
    EXPECT_EQ(CheckedDelimiterItems(app().settingsMenu), std::vector<int>{ID_DELIMITER_SEMICOLON});
}

}  // namespace
