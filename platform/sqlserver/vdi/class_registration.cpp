// Registers the client virtual device set with the COM runtime, so that a backup application
// creates it with CoCreateInstance(CLSID_MSSQL_ClientVirtualDeviceSet, ...), as on a machine
// where SQL Server's virtual device server is installed.
#include "runtime.h"
#include "vdi.h"

namespace {

const com::ClassRegistrar kClientVirtualDeviceSetClass(CLSID_MSSQL_ClientVirtualDeviceSet,
                                                       [](REFIID riid, void** object) {
                                                         return vdiCreateClientVirtualDeviceSet(
                                                             riid, object);
                                                       });

}  // namespace
