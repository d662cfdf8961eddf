// The document store: the empty document and the changed-since-save test.
#include <gtest/gtest.h>

#include "document/document_store.h"
#include "document/line_layout.h"
#include "support/document_fixture.h"

using DocumentStoreTest = DocumentTest;

TEST_F(DocumentStoreTest, EmptyDocumentIsOneLineHoldingTheTerminatorAndUnchanged) {
  OpenDocumentWindow();
  EXPECT_EQ(1, DocumentLength);
  EXPECT_EQ(0, DocumentText[0]);
  ASSERT_EQ(1, LineCount);
  EXPECT_EQ(0, LineTable[0].Start);
  EXPECT_EQ(0, LineTable[0].End);
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
  SavedText[0] = 'a', SavedText[1] = 'b', SavedText[2] = 'c', SavedText[3] = 0;
  EXPECT_FALSE(DocumentChangedSinceSave());
  DocumentText[1] = 'B';
  EXPECT_TRUE(DocumentChangedSinceSave()) << "same length, one unit differs";
  SetText(u"abcd");
  EXPECT_TRUE(DocumentChangedSinceSave()) << "longer by one unit";
}
