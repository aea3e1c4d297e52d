#include "adapters/x11/open_address.h"

#include <glib.h>
#include <unistd.h>

#include "adapters/x11/command_line.h"
#include "adapters/x11/default_browser.h"

namespace varnel {
namespace {

// Runs in the child before exec: the browser outlives us and keeps out of our session's
// signals.
void NewSession(gpointer /*unused*/) {
  setsid();
}

}  // namespace

bool StartDetached(const std::vector<std::string>& argv) {
  if (argv.empty() || argv.front().empty()) {
    return false;
  }
  std::vector<gchar*> args;
  args.reserve(argv.size() + 1);
  for (const std::string& a : argv) {
    args.push_back(const_cast<gchar*>(a.c_str()));
  }
  args.push_back(nullptr);
  // GLib reports a failed exec through a close-on-exec pipe and reaps the child itself, so
  // this returns as soon as the program runs, and says when it never did.
  GError* error = nullptr;
  const gboolean started = g_spawn_async(nullptr, args.data(), nullptr, G_SPAWN_SEARCH_PATH,
                                         NewSession, nullptr, nullptr, &error);
  g_clear_error(&error);
  return started != FALSE;
}

bool OpenWebAddress(const std::string& url, const std::string& browserVar) {
  for (const std::vector<std::string>& argv : BrowserCommands(browserVar, url)) {
    if (StartDetached(argv)) {
      return true;
    }
  }
  return StartDetached({"xdg-open", url}) || LaunchDefaultHandler(url);
}

}  // namespace varnel
