// A test's options: the settings record is replaced whole, as every writer
// outside the settings module does.
#pragma once

#include "files/Settings.h"

namespace velmo_test {

template <class Edit>
void EditSettings(Edit edit) {
  Settings s = Settings_Get();
  edit(s);
  Settings_Set(s);
}

}  // namespace velmo_test
