// The keywords of the TRACEFLags option, one per category; capital letters mark the shortest
// accepted abbreviation. The option takes the first keyword a word abbreviates, in this order.
// Categories 21 to 24 have none.
#include "agttrc.h"

const TraceKeyword gTraceKeywords[] = {
    {"ALL", TRC_ALL},
    {"API", TRC_API},
    {"BUFFring", TRC_BUFFRING},
    {"CMD", TRC_CMD},
    {"CONFIG", TRC_CONFIG},
    {"DETailed", TRC_DETAILED},
    {"ENGine", TRC_ENGINE},
    {"ERI", TRC_ERI},
    {"EVENT", TRC_EVENT},
    {"FILEOPs", TRC_FILEOPS},
    {"GENeral", TRC_GENERAL},
    {"GUI", TRC_GUI},
    {"LINKedlist", TRC_LINKEDLIST},
    {"MEMory", TRC_MEMORY},
    {"MUTEX", TRC_MUTEX},
    {"NLS", TRC_NLS},
    {"PARSE", TRC_PARSE},
    {"PCM", TRC_PCM},
    {"PERFormance", TRC_PERFORMANCE},
    {"SORTLINKedlist", TRC_SORTLINKEDLIST},
    {"SQLAPI", TRC_SQLAPI},
    {"THRead", TRC_THREAD},
};
const int gTraceKeywordCount = sizeof(gTraceKeywords) / sizeof(gTraceKeywords[0]);
