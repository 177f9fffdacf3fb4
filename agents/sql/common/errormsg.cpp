// The return-code-to-message table: which message of the repository tells the user about each
// agent return code. Codes that stay inside the agent (those of the buffer ring, the activity
// log and the message repository) have no row and map to message 4 like every unknown code.
#include "errormsg.h"

#include "agtlog.h"
#include "agttrc.h"
#include "msgout.h"

const AgentRcMessage gAgentRcMessages[] = {
    {101, 252},   {104, 156},   {105, 251},   {106, 250},   {107, 155},   {108, 154},
    {112, 5550},  {113, 261},   {114, 5551},  {401, 216},   {402, 151},   {403, 206},
    {404, 207},   {405, 208},   {406, 201},   {407, 205},   {408, 200},   {409, 202},
    {410, 5052},  {411, 203},   {414, 204},   {415, 150},   {418, 5060},  {419, 3},
    {420, 5053},  {421, 5},     {422, 267},   {423, 258},   {426, 5061},  {427, 5406},
    {428, 5407},  {430, 5093},  {501, 300},   {502, 301},   {503, 5455},  {800, 56},
    {801, 57},    {802, 58},    {803, 55},    {804, 53},    {805, 54},    {1200, 103},
    {1201, 100},  {1202, 101},  {1203, 105},  {1204, 102},  {1205, 111},  {1206, 112},
    {1207, 104},  {1208, 106},  {1209, 107},  {1210, 108},  {1211, 109},  {1212, 110},
    {1213, 5065}, {1301, 303},  {1302, 304},  {1303, 305},  {1304, 306},  {1305, 217},
    {1317, 307},  {1315, 212},  {1316, 210},  {1318, 5121}, {1320, 214},  {1900, 5424},
    {1901, 5429}, {1902, 5400}, {1903, 5427}, {1904, 5426}, {1905, 5425}, {1906, 5403},
    {1907, 5428}, {1908, 5423}, {1909, 5552}, {1910, 5457}, {1911, 5401}, {1912, 5402},
    {1913, 5421}, {1914, 5422}, {1915, 5405}, {1916, 5404}, {1918, 5461}, {2000, 5500},
    {2002, 5501},
};
const int gAgentRcMessageCount = sizeof(gAgentRcMessages) / sizeof(gAgentRcMessages[0]);

int agentRcMessage(int agentRc) {
  TRACE_ENTRY_ARGS(TRC_GENERAL, "agentRcMessage()", ",\n  agentRc : %d\n", agentRc);
  for (int i = 0; i < gAgentRcMessageCount; i++) {
    if (gAgentRcMessages[i].rc == agentRc) TRACE_RETURN_AS("msgNum", gAgentRcMessages[i].msgNum);
  }
  TRACE_LINE(TRC_GENERAL,
             "An internal processing error has been detected.\nAn unknown agent return code "
             "(%d) has been detected.\n",
             agentRc);
  TRACE_RETURN_AS("msgNum", AGT_MSG_UNKNOWN_RC);
}

const char* textOrRcMessage(const char* textP, int rc, char* bufferP, size_t bufferSize) {
  if (textP != nullptr && textP[0] != '\0') return textP;
  nlsprintf(bufferP, bufferSize, agentRcMessage(rc), "");
  return bufferP;
}

// The log formats the code's message itself: the message reaches the log also while the
// program's output is suppressed.
void logTextOrRcMessage(const char* textP, int rc) {
  if (gLogP == nullptr) return;
  if (textP != nullptr && textP[0] != '\0') {
    gLogP->LogActivityLog(textP);
    return;
  }
  gLogP->LogActivityLog(agentRcMessage(rc), "");
}
