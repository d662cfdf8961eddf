// The document store: the empty document and the changed-since-save test.
#include <string.h>

#include "support/document_fixture.h"

using DocumentStoreTest = InvariantCheckedTest;

TEST_F(DocumentStoreTest, EmptyDocumentIsOneLineHoldingTheTerminatorAndUnchanged) {
  OpenDocumentWindow();
  EXPECT_EQ(1, DocumentLength);
  EXPECT_EQ(0, DocumentText[0]);
  EXPECT_EQ((Lines{{0, 0}}), LaidOutLines());
  EXPECT_FALSE(DocumentChangedSinceSave());
}

TEST_F(DocumentStoreTest, ChangedSinceSaveComparesContentsNotEdits) {
  OpenDocumentWindow();
  SetText(u"x");
  EXPECT_TRUE(DocumentChangedSinceSave());
  SetText(u"");
  EXPECT_FALSE(DocumentChangedSinceSave()) << "typed and removed again";

  SetText(u"abc");
  SavedLength = 4;
  memcpy(SavedText, u"abc", 4 * sizeof(WCHAR));
  EXPECT_FALSE(DocumentChangedSinceSave());
  DocumentText[1] = 'B';
  EXPECT_TRUE(DocumentChangedSinceSave()) << "same length, one unit differs";
  SetText(u"abcd");
  EXPECT_TRUE(DocumentChangedSinceSave()) << "longer by one unit";
}
