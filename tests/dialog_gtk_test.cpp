// The GTK fallback dialogs, shown for real under X and driven with xdotool
// from a helper thread while the dialog runs on the test's thread. An
// inspector inside the dialog's main loop records what the dialog is made
// of, and closes it if it is still open long after it appeared, so a
// failing test fails instead of hanging.
#include <gtest/gtest.h>
// After gtest: the X headers define macros such as None.
#include <gdk/gdkx.h>
#include <gtk/gtk.h>

#include <algorithm>
#include <atomic>
#include <ostream>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "common/debuglog.h"
#include "common/paths.h"
#include "dialog_script.h"
#include "dialog_x11.h"
#include "dialogs/dialogs.h"
#include "test_support.h"

namespace oesqx::test {
namespace {

struct Button {
  std::string label;
  int response;
  bool operator==(const Button& o) const { return label == o.label && response == o.response; }
  bool operator<(const Button& o) const { return response < o.response; }
};

void PrintTo(const Button& b, std::ostream* os) { *os << "{" << b.label << ", " << b.response << "}"; }

// What the inspector saw of the first dialog that appeared.
struct Seen {
  std::atomic<bool> found{false};
  std::atomic<unsigned long> xid{0};
  std::string title;
  bool modal = false;
  bool separator = true;
  int message_type = -1;
  std::string text;
  std::vector<Button> buttons;
  int entry_max = -1;
  bool entry_visible = true;
  int pin_mode = -1;
  std::atomic<int> cancel_x{-1}, cancel_y{-1};
  bool forced_close = false;
};

// Polls the open windows from inside the dialog's main loop.
class Inspector {
 public:
  explicit Inspector(Seen* seen) : seen_(seen) { source_ = g_timeout_add(30, &Inspector::Poll, this); }
  ~Inspector() {
    if (source_ != 0) g_source_remove(source_);
  }
  Inspector(const Inspector&) = delete;
  Inspector& operator=(const Inspector&) = delete;

 private:
  static GtkWidget* OpenDialog() {
    GtkWidget* found = nullptr;
    GList* windows = gtk_window_list_toplevels();
    for (GList* l = windows; l != nullptr; l = l->next) {
      GtkWidget* w = GTK_WIDGET(l->data);
      if (GTK_IS_DIALOG(w) && gtk_widget_get_mapped(w)) found = w;
    }
    g_list_free(windows);
    return found;
  }

  void Record(GtkWidget* w) {
    GtkDialog* dialog = GTK_DIALOG(w);
    const char* title = gtk_window_get_title(GTK_WINDOW(w));
    seen_->title = title != nullptr ? title : "";
    seen_->modal = gtk_window_get_modal(GTK_WINDOW(w));
    seen_->separator = gtk_dialog_get_has_separator(dialog);
    seen_->pin_mode = g_inShowPinMode;
    if (GTK_IS_MESSAGE_DIALOG(w)) {
      GtkMessageType type;
      gchar* text = nullptr;
      g_object_get(w, "message-type", &type, "text", &text, nullptr);
      seen_->message_type = type;
      seen_->text = text != nullptr ? text : "";
      g_free(text);
    }
    GList* buttons = gtk_container_get_children(GTK_CONTAINER(gtk_dialog_get_action_area(dialog)));
    for (GList* l = buttons; l != nullptr; l = l->next) {
      GtkWidget* b = GTK_WIDGET(l->data);
      if (!GTK_IS_BUTTON(b)) continue;
      const char* label = gtk_button_get_label(GTK_BUTTON(b));
      const int response = gtk_dialog_get_response_for_widget(dialog, b);
      seen_->buttons.push_back({label != nullptr ? label : "", response});
      if (response == GTK_RESPONSE_REJECT) {
        gint ox = 0, oy = 0;
        gdk_window_get_origin(gtk_widget_get_window(w), &ox, &oy);
        GtkAllocation a;
        gtk_widget_get_allocation(b, &a);
        seen_->cancel_x = ox + a.x + a.width / 2;
        seen_->cancel_y = oy + a.y + a.height / 2;
      }
    }
    g_list_free(buttons);
    GList* content = gtk_container_get_children(GTK_CONTAINER(gtk_dialog_get_content_area(dialog)));
    for (GList* l = content; l != nullptr; l = l->next) {
      if (!GTK_IS_ENTRY(l->data)) continue;
      seen_->entry_max = gtk_entry_get_max_length(GTK_ENTRY(l->data));
      seen_->entry_visible = gtk_entry_get_visibility(GTK_ENTRY(l->data));
    }
    g_list_free(content);
    std::sort(seen_->buttons.begin(), seen_->buttons.end());
    seen_->xid = GDK_WINDOW_XID(gtk_widget_get_window(w));
  }

  static gboolean Poll(gpointer self_ptr) {
    auto* self = static_cast<Inspector*>(self_ptr);
    GtkWidget* w = OpenDialog();
    if (w == nullptr) return TRUE;
    if (!self->seen_->found) {
      self->Record(w);
      self->seen_->found = true;
      self->open_ticks_ = 0;
    } else if (++self->open_ticks_ > 400) {  // about 12 s: the driver failed
      self->seen_->forced_close = true;
      gtk_dialog_response(GTK_DIALOG(w), GTK_RESPONSE_DELETE_EVENT);
    }
    return TRUE;
  }

  Seen* seen_;
  guint source_ = 0;
  int open_ticks_ = 0;
};

constexpr const char kPinTitle[] = "请输入PIN码";

// Waits (at most 6 s) for the inspector to see a dialog and focuses it.
bool WaitAndFocus(const Seen& seen) {
  for (int i = 0; i < 300 && seen.xid == 0; ++i) x11::Pause(20);
  if (seen.xid == 0) return false;
  x11::Focus(std::to_string(seen.xid.load()));
  return true;
}

// The text of the debug log's last "str=" line.
std::string LastLogged() {
  const Bytes log = ReadFile(paths::Resolve(dbg::CurrentFileForTest().c_str()));
  const std::string text(log.begin(), log.end());
  const size_t at = text.rfind("str=");
  if (at == std::string::npos) return std::string();
  return text.substr(at + 4, text.find("\r\n", at) - at - 4);
}

// `n` times a three-byte character.
std::string Wide(int n) {
  std::string out;
  while (n-- > 0) out += "码";
  return out;
}

class GtkDialogs : public ::testing::Test {
 protected:
  void SetUp() override {
    const std::string why = x11::WhyNoX();
    if (!why.empty()) GTEST_SKIP() << why;
    FreeDialogDrv();  // below the fresh root nothing is found: GTK is used
  }
  void TearDown() override { FreeDialogDrv(); }

  // Runs the PIN dialog while `drive` works the window from another thread.
  template <typename Drive>
  int RunPinDialog(char* pin, Seen* seen, Drive drive) {
    Inspector inspector(seen);
    std::thread driver([&] {
      if (WaitAndFocus(*seen)) drive();
    });
    const int rc = ShowPinDialog(pin);
    driver.join();
    return rc;
  }

  PathRoot root_;
  x11::DisplayLock display_lock_;  // taken before the watchdog starts
  x11::Watchdog watchdog_{60};
};

TEST_F(GtkDialogs, PinDialogIsBuiltAsSpecifiedAndReturnsTheTypedPin) {
  char pin[OESQX_PIN_BUFFER_SIZE] = "stale";
  Seen seen;
  const int rc = RunPinDialog(pin, &seen, [] {
    x11::Type("4711");
    x11::Screenshot("gtk_pin");
    x11::Key("Return");
  });
  ASSERT_TRUE(seen.found);
  EXPECT_FALSE(seen.forced_close);
  EXPECT_EQ(1, rc);
  EXPECT_STREQ("4711", pin);
  EXPECT_EQ(kPinTitle, seen.title);
  EXPECT_TRUE(seen.modal);
  EXPECT_FALSE(seen.separator);
  EXPECT_EQ((std::vector<Button>{{"确定", GTK_RESPONSE_ACCEPT}, {"取消", GTK_RESPONSE_REJECT}}),
            seen.buttons);
  EXPECT_EQ(32, seen.entry_max);
  EXPECT_FALSE(seen.entry_visible);
  EXPECT_EQ(1, seen.pin_mode);
  EXPECT_EQ(0, g_inShowPinMode);
  EXPECT_EQ(1, g_blGTKInit);
}

TEST_F(GtkDialogs, PinEntryLimitsAndCancelling) {
  const std::string s32 = "abcdefghijklmnopqrstuvwxyz012345";
  const struct {
    const char* name;
    std::string typed;
    const char* key;  // null: click Cancel
    int result;
    std::string pin;
  } cases[] = {
      {"32 characters whole", s32, "Return", 1, s32},
      {"33rd character refused", s32 + "9", "Return", 1, s32},
      // 32 characters of 3 bytes do not fit the 64-byte PIN buffer.
      {"wide characters cut to fit", Wide(32), "Return", 1, Wide(21)},
      {"Escape", "1234", "Escape", 0, ""},
      {"Cancel button", "1234", nullptr, 0, ""},
      {"confirmed empty", "", "Return", 0, ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    char pin[OESQX_PIN_BUFFER_SIZE] = "stale";
    Seen seen;
    const int rc = RunPinDialog(pin, &seen, [&] {
      if (!c.typed.empty()) x11::Type(c.typed);
      if (c.key != nullptr) {
        x11::Key(c.key);
        return;
      }
      for (int i = 0; i < 100 && seen.cancel_x < 0; ++i) x11::Pause(20);
      x11::Click(seen.cancel_x, seen.cancel_y);
    });
    EXPECT_TRUE(seen.found);
    EXPECT_FALSE(seen.forced_close);
    EXPECT_EQ(c.result, rc);
    EXPECT_EQ(c.pin, pin);
    EXPECT_EQ(1, seen.pin_mode);
    EXPECT_EQ(0, g_inShowPinMode);
    EXPECT_EQ(c.result == 1 ? "ShowPinDialog OK" : "User cancel", LastLogged());
  }
}

TEST_F(GtkDialogs, MessageBoxShowsTheTextLiterallyWithTheKindsIcon) {
  const struct {
    int kind;
    int type;
  } cases[] = {
      {1, GTK_MESSAGE_INFO}, {2, GTK_MESSAGE_ERROR},   {3, GTK_MESSAGE_QUESTION},
      {4, GTK_MESSAGE_WARNING}, {9, GTK_MESSAGE_INFO},
  };
  const std::string text = "证书已过期 100%d%s";
  for (const auto& c : cases) {
    SCOPED_TRACE(c.kind);
    Seen seen;
    Inspector inspector(&seen);
    std::thread driver([&] {
      if (!WaitAndFocus(seen)) return;
      if (c.kind == 2) x11::Screenshot("gtk_msg");
      x11::Key("Return");
    });
    EXPECT_EQ(1, MessageBox(nullptr, c.kind, text.c_str()));
    driver.join();
    ASSERT_TRUE(seen.found);
    EXPECT_FALSE(seen.forced_close);
    EXPECT_EQ(c.type, seen.message_type);
    EXPECT_EQ(text, seen.text);
    EXPECT_TRUE(seen.modal);
    ASSERT_EQ(1u, seen.buttons.size());
    EXPECT_EQ(GTK_RESPONSE_OK, seen.buttons[0].response);
  }
  // Five dialogs, one search.
  const Bytes log = ReadFile(paths::Resolve(dbg::CurrentFileForTest().c_str()));
  const std::string text_log(log.begin(), log.end());
  size_t searches = 0;
  for (size_t at = 0; (at = text_log.find("str=LoadDialogDrv\r\n", at)) != std::string::npos; ++at)
    ++searches;
  EXPECT_EQ(1u, searches);
}

TEST_F(GtkDialogs, LibraryWithoutMessageBoxLeavesMessagesToGtk) {
  ScopedDialogScript script(root_, ScopedDialogScript::Offers::kPinOnly);
  script.AnswerPins({"8642"});
  char pin[OESQX_PIN_BUFFER_SIZE];
  EXPECT_EQ(1, ShowPinDialog(pin));
  EXPECT_STREQ("8642", pin);

  Seen seen;
  Inspector inspector(&seen);
  std::thread driver([&] {
    if (WaitAndFocus(seen)) x11::Key("Return");
  });
  EXPECT_EQ(1, MessageBox(nullptr, 2, "只有GTK"));
  driver.join();
  EXPECT_TRUE(seen.found);
  EXPECT_FALSE(seen.forced_close);
  EXPECT_EQ("只有GTK", seen.text);
  EXPECT_EQ((std::vector<std::string>{"8642"}), script.PinRequests());
}

}  // namespace
}  // namespace oesqx::test
