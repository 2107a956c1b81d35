// The track text held for editing: untouched lines keep their bytes, an edit
// touches only its key's line, refusals change nothing, and undo and redo
// give back the exact texts.
#include "trackDocument.h"

#include "testFiles.h"

#include <functional>

#include <gtest/gtest.h>

namespace {

// Comments, tabs, odd spacing, plain and BAR:BEAT:ROW rows, number forms
// that are not the shortest, a key without a comment, a track without keys.
const char* const kOdd = "# odd\n"
                         "track a   # the first\n"
                         "  -8\t0.50   step   # before the tune\n"
                         "0:0:0       1.0           linear\n"
                         "\n"
                         "1:0:0 2e0 smooth\n"
                         "track empty\n";

std::string crlf(std::string text)
{
    for (size_t at = text.find('\n'); at != std::string::npos; at = text.find('\n', at + 2))
        text.replace(at, 1, "\r\n");
    return text;
}

TEST(TrackDocument, AnUnchangedTextIsWrittenBackByteForByte)
{
    const std::string production =
        testing_support::readFile(std::string(KELVANDRIX_SOURCE_DIR) + "/productions/kelvandrix/tracks/kelvandrix.tracks");
    for (const std::string& text : {production, std::string(kOdd), crlf(kOdd), "\xEF\xBB\xBF" + crlf(kOdd),
                                    std::string("track a\n0 1 step"), std::string()}) {
        const TrackDocument document("t.tracks", text);
        EXPECT_EQ(document.text(), text);
        EXPECT_FALSE(document.isReadOnly()) << document.getErrors()[0];
    }
}

struct EditCase {
    const char* name;
    std::string text;
    std::function<std::string(TrackDocument&)> edit;
    std::string expected;
};

sync_key key(int32_t row, float value, sync_key_kind kind)
{
    return sync_key{row, value, kind};
}

class TrackDocumentEdit : public ::testing::TestWithParam<EditCase> {};

TEST_P(TrackDocumentEdit, ChangesOnlyTheKeysOwnLine)
{
    TrackDocument document("t.tracks", GetParam().text);
    EXPECT_EQ(GetParam().edit(document), "");
    EXPECT_EQ(document.text(), GetParam().expected);
    EXPECT_TRUE(document.isModified());
    // What the edited text reads as is what the document holds.
    const TrackDocument reread("t.tracks", document.text());
    ASSERT_EQ(reread.tracks().size(), document.tracks().size());
    for (size_t t = 0; t < reread.tracks().size(); ++t) {
        const auto& keys = reread.tracks()[t].keys;
        ASSERT_EQ(keys.size(), document.tracks()[t].keys.size());
        for (size_t k = 0; k < keys.size(); ++k) {
            EXPECT_EQ(keys[k].row, document.tracks()[t].keys[k].row);
            EXPECT_EQ(keys[k].value, document.tracks()[t].keys[k].value);
            EXPECT_EQ(keys[k].kind, document.tracks()[t].keys[k].kind);
        }
    }
    ASSERT_TRUE(document.undo());
    EXPECT_EQ(document.text(), GetParam().text);
    EXPECT_FALSE(document.isModified());
}

const std::string kOddMoved = "# odd\n"
                              "track a   # the first\n"
                              "  -8\t0.50   step   # before the tune\n"
                              "0:1:0       1.0           linear\n"
                              "\n"
                              "1:0:0 2e0 smooth\n"
                              "track empty\n";

INSTANTIATE_TEST_SUITE_P(
    Cases, TrackDocumentEdit,
    ::testing::Values(
        EditCase{"MoveKeepsTheRowsForm", kOdd, [](TrackDocument& d) { return d.moveKey(0, 0, 8); }, kOddMoved},
        EditCase{"MoveOfAPlainRowStaysPlain", kOdd, [](TrackDocument& d) { return d.moveKey(0, -8, -3); },
                 "# odd\ntrack a   # the first\n  -3\t0.50   step   # before the tune\n0:0:0       1.0           "
                 "linear\n\n1:0:0 2e0 smooth\ntrack empty\n"},
        EditCase{"MoveInCrlf", crlf(kOdd), [](TrackDocument& d) { return d.moveKey(0, 0, 8); }, crlf(kOddMoved)},
        EditCase{"ValueKeepsTheColumns", kOdd,
                 [](TrackDocument& d) { return d.setKey(0, key(0, 0.125f, SYNC_KEY_LINEAR)); },
                 "# odd\ntrack a   # the first\n  -8\t0.50   step   # before the tune\n0:0:0       0.125         "
                 "linear\n\n1:0:0 2e0 smooth\ntrack empty\n"},
        EditCase{"ColumnsComeBackAfterALongerValue", kOdd,
                 [](TrackDocument& d) {
                     d.beginStep(); // as a drag does
                     std::string done = d.setKey(0, key(0, 0.123456789f, SYNC_KEY_LINEAR));
                     done += d.setKey(0, key(0, 0.5f, SYNC_KEY_LINEAR));
                     d.endStep();
                     return done;
                 },
                 "# odd\ntrack a   # the first\n  -8\t0.50   step   # before the tune\n0:0:0       0.5           "
                 "linear\n\n1:0:0 2e0 smooth\ntrack empty\n"},
        EditCase{"ALongerKindKeepsTheCommentsColumn", kOdd,
                 [](TrackDocument& d) { return d.setKey(0, key(-8, 0.5f, SYNC_KEY_LINEAR)); },
                 "# odd\ntrack a   # the first\n  -8\t0.50   linear # before the tune\n0:0:0       1.0           "
                 "linear\n\n1:0:0 2e0 smooth\ntrack empty\n"},
        EditCase{"KindKeepsTheComment", kOdd,
                 [](TrackDocument& d) { return d.setKey(0, key(-8, 0.5f, SYNC_KEY_RAMP)); },
                 "# odd\ntrack a   # the first\n  -8\t0.50   ramp   # before the tune\n0:0:0       1.0           "
                 "linear\n\n1:0:0 2e0 smooth\ntrack empty\n"},
        EditCase{"InsertGoesAfterTheKeyBelowShapedLikeIt", kOdd,
                 [](TrackDocument& d) { return d.setKey(0, key(16, -0.25f, SYNC_KEY_SMOOTH)); },
                 "# odd\ntrack a   # the first\n  -8\t0.50   step   # before the tune\n0:0:0       1.0           "
                 "linear\n0:2:0       -0.25         smooth\n\n1:0:0 2e0 smooth\ntrack empty\n"},
        EditCase{"InsertBeforeTheFirstKey", "track a\r\n4 1 step\r\n",
                 [](TrackDocument& d) { return d.setKey(0, key(2, 3.0f, SYNC_KEY_LINEAR)); },
                 "track a\r\n2 3 linear\r\n4 1 step\r\n"},
        EditCase{"InsertIntoATrackWithoutKeysAtTheEnd", "track a\n0 1 step\ntrack empty",
                 [](TrackDocument& d) { return d.setKey(1, key(40, 1.5f, SYNC_KEY_STEP)); },
                 "track a\n0 1 step\ntrack empty\n1:1:0       1.5           step"},
        EditCase{"DeleteTakesTheLine", kOdd, [](TrackDocument& d) { return d.deleteKey(0, 32); },
                 "# odd\ntrack a   # the first\n  -8\t0.50   step   # before the tune\n0:0:0       1.0           "
                 "linear\n\ntrack empty\n"},
        EditCase{"ATakenTextIsOneStep", kOdd,
                 [](TrackDocument& d) {
                     d.replaceText("track b\n0 1 step\n");
                     return d.findTrack("b") == 0 && d.findTrack("a") < 0 ? "" : "not taken";
                 },
                 "track b\n0 1 step\n"}),
    [](const ::testing::TestParamInfo<EditCase>& info) { return info.param.name; });

TEST(TrackDocument, EditsThatCannotBeDoneChangeNothing)
{
    TrackDocument document("t.tracks", kOdd);
    const struct {
        std::function<std::string(TrackDocument&)> edit;
        std::string reason;
    } refused[] = {
        {[](TrackDocument& d) { return d.moveKey(0, 0, 32); }, "row 1:0:0 is not before the next key's row 1:0:0"},
        {[](TrackDocument& d) { return d.moveKey(0, 0, -9); }, "row -9 is not after the previous key's row -8"},
        // Onto a neighbour's row: two keys on one row make a text the build refuses.
        {[](TrackDocument& d) { return d.moveKey(0, 0, -8); }, "row -8 is not after the previous key's row -8"},
        {[](TrackDocument& d) { return d.moveKey(0, 1, 2); }, "no key at row 0:0:1"},
        {[](TrackDocument& d) { return d.deleteKey(1, 0); }, "no key at row 0:0:0"},
        {[](TrackDocument& d) { return d.setKey(2, key(0, 1, SYNC_KEY_STEP)); }, "no such track"},
    };
    for (const auto& edit : refused) {
        EXPECT_EQ(edit.edit(document), edit.reason);
        EXPECT_EQ(document.text(), kOdd);
        EXPECT_FALSE(document.canUndo());
    }

    TrackDocument broken("t.tracks", "track a\n0 1 step\n8 x step\n");
    ASSERT_TRUE(broken.isReadOnly());
    EXPECT_EQ(broken.getErrors()[0], "t.tracks:3: bad value \"x\"");
    EXPECT_EQ(broken.tracks()[0].keys.size(), 1u) << "what parsed can be looked at";
    EXPECT_NE(broken.deleteKey(0, 0), "");
    broken.replaceText("track a\n0 1 step\n");
    EXPECT_FALSE(broken.isReadOnly());
    EXPECT_EQ(broken.deleteKey(0, 0), "");
    ASSERT_TRUE(broken.undo());
    ASSERT_TRUE(broken.undo());
    EXPECT_TRUE(broken.isReadOnly()) << "the broken text comes back with its errors";
}

TEST(TrackDocument, UndoAndRedoGiveBackTheExactTextsStepByStep)
{
    TrackDocument document("t.tracks", kOdd);
    std::vector<std::string> texts{document.text()};
    const std::function<std::string()> edits[] = {
        [&] { return document.setKey(0, key(64, 7.0f, SYNC_KEY_STEP)); },
        [&] { return document.moveKey(0, 64, 70); },
        [&] { return document.deleteKey(0, -8); },
        [&] { return document.setKey(1, key(3, 1.0f, SYNC_KEY_RAMP)); },
    };
    for (const auto& edit : edits) {
        ASSERT_EQ(edit(), "");
        texts.push_back(document.text());
    }
    document.markSaved();
    for (size_t i = texts.size() - 1; i > 0; --i) {
        ASSERT_TRUE(document.undo());
        EXPECT_EQ(document.text(), texts[i - 1]);
        EXPECT_TRUE(document.isModified());
    }
    EXPECT_FALSE(document.undo());
    for (size_t i = 1; i < texts.size(); ++i) {
        ASSERT_TRUE(document.redo());
        EXPECT_EQ(document.text(), texts[i]);
    }
    EXPECT_FALSE(document.redo());
    EXPECT_FALSE(document.isModified()) << "back at the saved text";

    // Undone and edited anew: no undo or redo leads back to the saved text,
    // so an outside change must not be taken over these edits.
    ASSERT_TRUE(document.undo());
    ASSERT_EQ(document.setKey(1, key(3, 2.0f, SYNC_KEY_RAMP)), "");
    EXPECT_TRUE(document.isModified()) << "as many steps as the saved text, but not its steps";
    const std::string edited = document.text();

    // A drag: many moves, one step.
    document.beginStep();
    for (int32_t row = 71; row < 90; ++row)
        ASSERT_EQ(document.moveKey(0, row - 1, row), "");
    document.endStep();
    ASSERT_TRUE(document.undo());
    EXPECT_EQ(document.text(), edited);

    // The oldest steps go beyond the limit; the saved state among them too.
    for (size_t i = 0; i < TrackDocument::kUndoSteps + 5; ++i)
        ASSERT_EQ(document.setKey(0, key(70, static_cast<float>(i), SYNC_KEY_STEP)), "");
    size_t undone = 0;
    while (document.undo())
        ++undone;
    EXPECT_EQ(undone, TrackDocument::kUndoSteps);
    EXPECT_TRUE(document.isModified());
}

} // namespace
