#include "errorinfo.h"

#include <gtest/gtest.h>

#include <thread>

#include "bstr.h"
#include "object.h"

namespace {

TEST(ErrorInfo, IsTakenOnce) {
  EXPECT_EQ(com::fail(E_FAIL, u"SQL-DMO", u"Login failed"), E_FAIL);
  com::Ptr<IErrorInfo> info;
  ASSERT_EQ(GetErrorInfo(0, info.put()), S_OK);
  com::Bstr source, description;
  ASSERT_EQ(info->GetSource(source.put()), S_OK);
  ASSERT_EQ(info->GetDescription(description.put()), S_OK);
  EXPECT_EQ(source.view(), u"SQL-DMO");
  EXPECT_EQ(description.view(), u"Login failed");

  com::Ptr<IErrorInfo> again;
  EXPECT_EQ(GetErrorInfo(0, again.put()), S_FALSE);
  EXPECT_FALSE(again);
}

TEST(ErrorInfo, CreatedThroughTheRuntime) {
  com::Ptr<ICreateErrorInfo> create;
  ASSERT_EQ(CreateErrorInfo(create.put()), S_OK);
  std::u16string text = u"help.chm";
  create->SetHelpFile(text.data());
  create->SetHelpContext(42);
  com::Ptr<IErrorInfo> info;
  ASSERT_EQ(create->QueryInterface(IID_IErrorInfo, info.putVoid()), S_OK);
  ASSERT_EQ(SetErrorInfo(0, info.get()), S_OK);

  com::Ptr<IErrorInfo> taken;
  ASSERT_EQ(GetErrorInfo(0, taken.put()), S_OK);
  DWORD context = 0;
  taken->GetHelpContext(&context);
  EXPECT_EQ(context, 42u);
  com::Bstr file;
  taken->GetHelpFile(file.put());
  EXPECT_EQ(file.view(), u"help.chm");
}

TEST(ErrorInfo, BelongsToTheFailingThread) {
  com::fail(E_FAIL, "here", "this thread's error");
  std::thread other([] {
    com::Ptr<IErrorInfo> info;
    EXPECT_EQ(GetErrorInfo(0, info.put()), S_FALSE);
    com::fail(E_FAIL, "there", "left behind at thread exit");
  });
  other.join();
  com::Ptr<IErrorInfo> info;
  ASSERT_EQ(GetErrorInfo(0, info.put()), S_OK);
  com::Bstr source;
  info->GetSource(source.put());
  EXPECT_EQ(source.utf8(), "here");
}

}  // namespace
