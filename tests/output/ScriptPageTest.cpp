// The script review page when its template is missing or its script can't
// be written, and the "DEFAULT" name once it can.
#include <gtest/gtest.h>

#include "support/Harness.h"

namespace voxmire::test {
namespace {

namespace fs = std::filesystem;

TEST(ScriptPage, StaysWithAMessageWhenTheTemplateIsMissingOrTheScriptCantBeWritten) {
  struct Case {
    const char* templ;
    const char* title;
    const char* namedFile;
  };
  const Case cases[] = {{nullptr, "Script template missing", "defaultscript.txt"},
                        {"class VOICEPACK_NAME;\xA0", "Can't write the script", "DEFAULT.uc"}};
  for (const Case& c : cases) {
    Harness h;
    if (c.templ != nullptr) WriteFile(h.programDir / "defaultscript.txt", c.templ);
    fs::create_directories(h.programDir / "DEFAULT.uc" / "in the way");
    QWidget* page = h.Open(PageId::Script);
    EXPECT_EQ(page->windowTitle(), QStringLiteral("Edit the  script"));
    // A missing template is reported as the page opens, and again on Next.
    EXPECT_EQ(QTest::qWaitFor([&] { return !h.dialogs.messages.empty(); }, 300), !c.templ);
    Click(page, "Command1");
    ASSERT_EQ(h.dialogs.messages.size(), c.templ ? 1u : 2u) << c.title;
    for (const ShownMessage& m : h.dialogs.messages) {
      EXPECT_EQ(m.title, c.title);
      EXPECT_EQ(m.icon, MessageIcon::Critical);
      EXPECT_TRUE(m.text.contains(QString::fromStdString((h.programDir / c.namedFile).string())));
    }
    EXPECT_TRUE(h.nav.IsOpen(PageId::Script));
    EXPECT_EQ(h.state.VoicePackName, "");  // "DEFAULT" only once the script is saved
    if (c.templ == nullptr) continue;
    fs::remove_all(h.programDir / "DEFAULT.uc");
    Click(page, "Command1");  // untouched text is saved byte for byte, no-break space too
    EXPECT_EQ(ReadFile(h.programDir / "DEFAULT.uc"), "class ;\xA0\r\n\r\n");
    EXPECT_EQ(h.state.VoicePackName, "DEFAULT");
  }
}

}  // namespace
}  // namespace voxmire::test
