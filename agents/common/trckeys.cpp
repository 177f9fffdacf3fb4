// The keywords of the TRACEFLags option, one per category; capital letters mark the shortest
// accepted abbreviation. Categories 21 to 24 have none.
#include "agttrc.h"

const TraceKeyword gTraceKeywords[] = {
    {"SORTLINKedlist", TRC_SORTLINKEDLIST},
    {"PERFormance", TRC_PERFORMANCE},
    {"LINKedlist", TRC_LINKEDLIST},
    {"BUFFring", TRC_BUFFRING},
    {"FILEOPs", TRC_FILEOPS},
    {"GENeral", TRC_GENERAL},
    {"CONFIG", TRC_CONFIG},
    {"THRead", TRC_THREAD},
    {"EVENT", TRC_EVENT},
    {"MUTEX", TRC_MUTEX},
    {"PARSE", TRC_PARSE},
    {"ALL", TRC_ALL},
    {"DETailed", TRC_DETAILED},
    {"API", TRC_API},
    {"CMD", TRC_CMD},
    {"ENGine", TRC_ENGINE},
    {"ERI", TRC_ERI},
    {"GUI", TRC_GUI},
    {"MEMory", TRC_MEMORY},
    {"NLS", TRC_NLS},
    {"PCM", TRC_PCM},
    {"SQLAPI", TRC_SQLAPI},
};
const int gTraceKeywordCount = sizeof(gTraceKeywords) / sizeof(gTraceKeywords[0]);
