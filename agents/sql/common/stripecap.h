// How many stripes a backup or restore may run on one SQL Server. SQL Server 7 opens at most 32
// virtual devices for one backup or restore, later versions 64.
#pragma once

#include <cstdint>

#include "sqltypes.h"

constexpr uint32_t kMaxStripesSql7 = 32;
constexpr uint32_t kMaxStripes = 64;

// The most stripes the server takes.
uint32_t maxServerStripes(const SqlServerElement& server);

// A request's stripe count as the server and the SQL buffers allow it: at most 32 on SQL Server
// 7, and no more stripes than SQL buffers when the buffers are set (0: SQL Server chooses).
// Every cap is traced.
int32_t capRequestStripes(int32_t stripes, const SqlServerElement& server, uint32_t sqlBuffers);
