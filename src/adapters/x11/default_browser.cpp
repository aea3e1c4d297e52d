#include "adapters/x11/default_browser.h"

#include <gio/gdesktopappinfo.h>
#include <gio/gio.h>

namespace varnel {
namespace {

std::string CommandOf(GAppInfo* info) {
  if (info == nullptr) {
    return "";
  }
  const char* line = g_app_info_get_commandline(info);
  std::string out = line != nullptr ? line : "";
  g_object_unref(info);
  return out;
}

}  // namespace

std::string HttpHandlerCommand() {
  return CommandOf(g_app_info_get_default_for_uri_scheme("http"));
}

std::string HttpsHandlerId() {
  GAppInfo* info = g_app_info_get_default_for_uri_scheme("https");
  if (info == nullptr) {
    return "";
  }
  const char* id = g_app_info_get_id(info);
  std::string out = id != nullptr ? id : "";
  g_object_unref(info);
  return out;
}

std::string DesktopEntryCommand(const std::string& id) {
  if (id.empty()) {
    return "";
  }
  GDesktopAppInfo* info = g_desktop_app_info_new(id.c_str());
  return CommandOf(info != nullptr ? G_APP_INFO(info) : nullptr);
}

std::string DocumentHandlerCommand(const std::string& path) {
  gboolean uncertain = FALSE;
  gchar* type = g_content_type_guess(path.c_str(), nullptr, 0, &uncertain);
  if (type == nullptr) {
    return "";
  }
  std::string out = CommandOf(g_app_info_get_default_for_type(type, FALSE));
  g_free(type);
  return out;
}

bool LaunchDefaultHandler(const std::string& uri) {
  GError* error = nullptr;
  const gboolean started = g_app_info_launch_default_for_uri(uri.c_str(), nullptr, &error);
  g_clear_error(&error);
  return started != FALSE;
}

}  // namespace varnel
