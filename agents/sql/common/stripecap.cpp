#include "stripecap.h"

#include "agttrc.h"

uint32_t maxServerStripes(const SqlServerElement& server) {
  return server.lSqlVersionMajor == 7 ? kMaxStripesSql7 : kMaxStripes;
}

int32_t capRequestStripes(int32_t stripes, const SqlServerElement& server, uint32_t sqlBuffers) {
  if (server.lSqlVersionMajor == 7 && stripes > static_cast<int32_t>(kMaxStripesSql7)) {
    TRACE_LINE(TRC_ERI,
               "The value for stripes (%d) is greater than the maximum allowed for a SQL 7 "
               "Server. The stripes value is being changed to %d.\n",
               stripes, static_cast<int32_t>(kMaxStripesSql7));
    stripes = static_cast<int32_t>(kMaxStripesSql7);
  }
  int32_t buffers = static_cast<int32_t>(sqlBuffers);
  if (buffers > 0 && stripes > buffers) {
    TRACE_LINE(TRC_ERI,
               "The value for stripes (%d) is greater than the number of sqlbuffers (%d). The "
               "stripes value is being changed to %d.\n",
               stripes, buffers, buffers);
    stripes = buffers;
  }
  return stripes;
}
