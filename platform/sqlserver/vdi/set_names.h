// The process-wide table of virtual device set names. A client's set holds its name from Create
// to Close; SQL Server finds the set by instance and name. Names are per instance: the same name
// may serve two instances at once.
#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "vdi_com_basics.h"

namespace vdi {

class DeviceSetState;

// The instance's key in the table: upper case, since instance names ignore case; empty for the
// default instance.
std::u16string setNamesInstanceKey(std::u16string_view instanceName);

// Takes the set's name (state->instanceKey(), state->name()). VD_E_BUSY when it is taken.
HRESULT setNamesRegister(const std::shared_ptr<DeviceSetState>& state);

// Gives the name back, when it is still this set's.
void setNamesUnregister(const DeviceSetState* state);

// The set holding the name, or null.
std::shared_ptr<DeviceSetState> setNamesFind(const std::u16string& instanceKey,
                                             const std::u16string& name);

}  // namespace vdi
