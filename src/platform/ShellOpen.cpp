#include "platform/ShellOpen.h"

#include <gio/gio.h>

namespace nubrix::platform {

bool OpenUriWithDesktop(const std::string& uri, std::string* error) {
  GError* failure = nullptr;
  const gboolean launched = g_app_info_launch_default_for_uri(uri.c_str(), nullptr, &failure);
  if (!launched && error != nullptr && failure != nullptr) *error = failure->message;
  if (failure != nullptr) g_error_free(failure);
  return launched != FALSE;
}

bool OpenWithDesktop(const std::string& path, std::string* error) {
  // A file URI carries any bytes of the path, escaped; no shell is involved.
  GFile* file = g_file_new_for_path(path.c_str());
  gchar* uri = g_file_get_uri(file);
  const bool launched = OpenUriWithDesktop(uri, error);
  g_free(uri);
  g_object_unref(file);
  return launched;
}

}  // namespace nubrix::platform
