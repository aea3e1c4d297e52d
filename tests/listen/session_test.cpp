#include "listen/session.h"

#include <gtest/gtest.h>

#include <optional>

namespace varnel::listen {
namespace {

int Known(const std::string& w) {
  return w == "unknownword" ? 0 : 3;
}

class SessionTest : public ::testing::Test {
 protected:
  Fields Do(Fields args) {
    Fields req = {"req", std::to_string(++seq_)};
    req.insert(req.end(), args.begin(), args.end());
    bool changed = false;
    Fields reply = s_.Handle(req, Known, changed);
    EXPECT_EQ(reply[1], req[1]);
    changed_ = changed;
    return reply;
  }
  bool Ok(Fields args) { return Do(std::move(args))[0] == "ok"; }
  std::string ErrorNumber(Fields args) {
    const Fields r = Do(std::move(args));
    return r[0] == "error" ? r[2] : "ok";
  }

  std::uint64_t clock_ = 0;
  Session s_{1, clock_};
  int seq_ = 0;
  bool changed_ = false;
};

TEST_F(SessionTest, TheRegistrationOrderOfTheProgramWorks) {
  ASSERT_TRUE(Ok({"register", "1"}));
  ASSERT_TRUE(Ok({"create-menu", "Varnel", "Pellar", "9"}));
  ASSERT_TRUE(Ok({"set-list", "Number", "3",
                  std::string("1\0"
                              "2\0"
                              "3\0",
                              6)}));
  ASSERT_TRUE(Ok({"set-list", "Find", "2", std::string("Find\0Find It\0", 13)}));
  ASSERT_TRUE(Ok({"add-command", "16", "Tab <Number>", "Varnel"}));
  ASSERT_TRUE(Ok({"add-command", "2", "<Find>", "Varnel"}));
  EXPECT_FALSE(s_.Listening());
  ASSERT_TRUE(Ok({"set-active", "1"}));
  EXPECT_TRUE(changed_);
  EXPECT_TRUE(s_.Listening());
  EXPECT_EQ(s_.Spec().commands.size(), 2u);
  EXPECT_EQ(s_.Description(16), "Varnel");
  // The take-down order: unregister first; the menu calls after it fail quietly.
  ASSERT_TRUE(Ok({"unregister"}));
  EXPECT_TRUE(changed_);
  EXPECT_FALSE(s_.Listening());
  EXPECT_EQ(ErrorNumber({"set-active", "0"}), "2");
  EXPECT_EQ(ErrorNumber({"remove-command", "16"}), "2");
}

TEST_F(SessionTest, BadRequestsGetClearErrors) {
  EXPECT_EQ(ErrorNumber({"create-menu", "a", "b", "9"}), "2");  // not registered
  EXPECT_EQ(ErrorNumber({"register", "2"}), "1");               // wrong version
  ASSERT_TRUE(Ok({"register", "1"}));
  EXPECT_EQ(ErrorNumber({"register", "1"}), "2");
  EXPECT_EQ(ErrorNumber({"add-command", "1", "Menu", ""}), "2");  // no menu yet
  ASSERT_TRUE(Ok({"create-menu", "Varnel", "Pellar", "9"}));
  struct Case {
    Fields args;
    const char* error;
  } cases[] = {
      {{"frobnicate"}, "1"},
      {{"set-list", "Number", "2", std::string("1\0", 2)}, "1"},  // count mismatch
      {{"set-list", "Number", "x", ""}, "1"},
      {{"set-list", "<N>", "1", std::string("1\0", 2)}, "5"},
      {{"set-list", "N", "1", std::string("a;b\0", 4)}, "5"},
      {{"add-command", "x", "Menu", ""}, "1"},
      {{"add-command", "99999999999", "Menu", ""}, "1"},
      {{"add-command", "1", "Menu unknownword", ""}, "3"},
      {{"add-command", "1", "Tab <Nope>", ""}, "4"},
      {{"add-command", "1", "Menu"}, "1"},
      {{"set-active", "-1"}, "1"},
      {{"remove-command", "5"}, "2"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(ErrorNumber(c.args), c.error) << c.args[0];
  }
  ASSERT_TRUE(Ok({"add-command", "1", "Menu", ""}));
  EXPECT_EQ(ErrorNumber({"add-command", "1", "Menu", ""}), "2");  // duplicate id
  // A list without the final NUL is accepted as the same list.
  EXPECT_TRUE(Ok({"set-list", "N", "2",
                  std::string("1\0"
                              "2",
                              3)}));
  EXPECT_EQ(s_.Spec().lists.at("N").size(), 2u);
  bool changed = false;
  EXPECT_EQ(s_.Handle({"ok"}, Known, changed)[0], "error");
}

// Sleep and wake belong to the server: the session checks the request and hands it over
// once, menu or not; an unregistered client cannot ask.
TEST_F(SessionTest, SetAwakeIsHandedOverOnce) {
  EXPECT_EQ(ErrorNumber({"set-awake", "0"}), "2");
  EXPECT_FALSE(s_.TakeAwakeRequest());
  ASSERT_TRUE(Ok({"register", "1"}));
  struct Case {
    Fields args;
    const char* reply;
    std::optional<bool> request;
  } cases[] = {
      {{"set-awake", "0"}, "ok", false},  {{"set-awake", "1"}, "ok", true},
      {{"set-awake", "yes"}, "1", {}},    {{"set-awake"}, "1", {}},
      {{"set-awake", "1", "1"}, "1", {}},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(ErrorNumber(c.args), c.reply) << c.args.size();
    EXPECT_EQ(s_.TakeAwakeRequest(), c.request) << c.args.size();
    EXPECT_FALSE(s_.TakeAwakeRequest());
    EXPECT_FALSE(changed_);
  }
}

// The decoder's graph grows with every word and list item a menu holds: a menu too large
// to listen for is refused whole, whether a command or a longer list would make it so.
TEST_F(SessionTest, MenusTooLargeToListenForAreRefused) {
  ASSERT_TRUE(Ok({"register", "1"}));
  ASSERT_TRUE(Ok({"create-menu", "Varnel", "Pellar", "9"}));
  auto items = [](int n) {
    std::string out;
    for (int i = 1; i <= n; ++i) {
      out += std::to_string(i) + '\0';  // "one" to "nine hundred ninety nine"
    }
    return out;
  };
  ASSERT_TRUE(Ok({"set-list", "N", "999", items(999)}));
  const std::size_t perList = GraphWords({{"N", s_.Spec().lists.at("N")}}, {{1, "<N>"}});
  EXPECT_GT(perList, 999u);
  // Commands that each hold the list, until one more would pass the limit.
  int id = 0;
  while (GraphWords(s_.Spec().lists, s_.Spec().commands) + perList + 1 <= kMaxGraphWords) {
    ASSERT_TRUE(Ok({"add-command", std::to_string(++id), "Tab <N>", ""}));
  }
  EXPECT_EQ(ErrorNumber({"add-command", std::to_string(++id), "Tab <N>", ""}), "6");
  EXPECT_FALSE(s_.HasCommand(id));
  // A list of longer items under commands already added is refused too, and the old list
  // stays.
  std::string longer;
  for (int i = 0; i < 999; ++i) {
    longer += std::string("9999") + '\0';  // six words each
  }
  EXPECT_EQ(ErrorNumber({"set-list", "N", "999", longer}), "6");
  EXPECT_EQ(s_.Spec().lists.at("N").size(), 999u);
  // A short list in its place is fine, and then there is room again.
  ASSERT_TRUE(Ok({"set-list", "N", "3", items(3)}));
  EXPECT_TRUE(Ok({"add-command", std::to_string(id), "Tab <N>", ""}));
  EXPECT_EQ(s_.GraphSize(), GraphWords(s_.Spec().lists, s_.Spec().commands));

  // Where other clients hold most of the recogniser's share, less is left for this one.
  std::uint64_t clock = 0;
  Session other(2, clock);
  bool changed = false;
  ASSERT_EQ(other.Handle({"req", "1", "register", "1"}, Known, changed)[0], "ok");
  ASSERT_EQ(other.Handle({"req", "2", "create-menu", "A", "S", "9"}, Known, changed)[0], "ok");
  ASSERT_EQ(other.Handle({"req", "3", "add-command", "1", "Zoom In", ""}, Known, changed, 2)[0],
            "ok");
  const Fields refused =
      other.Handle({"req", "4", "add-command", "2", "Zoom Out", ""}, Known, changed, 3);
  EXPECT_EQ(refused[0], "error");
  EXPECT_EQ(refused[2], "6");
  EXPECT_EQ(other.GraphSize(), 2u);
}

TEST_F(SessionTest, LaterActivationIsNewer) {
  std::uint64_t clock = 0;
  Session a(1, clock), b(2, clock);
  bool c = false;
  for (Session* s : {&a, &b}) {
    s->Handle({"req", "1", "register", "1"}, Known, c);
    s->Handle({"req", "2", "create-menu", "A", "S", "9"}, Known, c);
    s->Handle({"req", "3", "add-command", "1", "Menu", ""}, Known, c);
    s->Handle({"req", "4", "set-active", "1"}, Known, c);
  }
  EXPECT_LT(a.ActivatedAt(), b.ActivatedAt());
}

}  // namespace
}  // namespace varnel::listen
