/*
 * hublorapi.h: the storage-manager client interface of the Hublor server, as the library
 * libhublorapi.so exports it. Every entry point has C linkage and returns a 16-bit signed code,
 * 0 for success; session calls take the 32-bit handle that pelkInit hands out.
 *
 * Records are packed (no padding) and keep their published byte layout. 64-bit numbers are held
 * as a high and a low 32-bit word. Texts are NUL-terminated 8-bit strings.
 *
 * Threads: pelkSetUp once per process, then any number of sessions, each used by one thread at a
 * time (calls on one session are serialised by the library). Several processes may share one
 * store directory.
 */
#ifndef HUBLORAPI_H
#define HUBLORAPI_H

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

#define PELK_EXPORT __attribute__((visibility("default")))

typedef int16_t pelkInt16_t;
typedef uint8_t pelkUint8_t;
typedef uint16_t pelkUint16_t;
typedef uint32_t pelkUint32_t;
typedef uint8_t pelkBool_t;

/* ---- Return codes ------------------------------------------------------------------------ */
#define PELK_RC_OK 0
#define PELK_RC_NO_MATCH 2          /* no object or filespace matches */
#define PELK_RC_MERGE_ERROR 45      /* rename merge: versions bound to another class */
#define PELK_RC_PASSWORD_EXPIRED 52 /* the session may only change the password */
#define PELK_RC_FINISHED 121        /* query or object finished */
#define PELK_RC_FS_NOT_KNOWN 124    /* the query names a filespace the node lacks */
#define PELK_RC_BAD_PASSWORD 137    /* the password was refused */
#define PELK_RC_WILL_ABORT 157      /* the server will abort the transaction */
#define PELK_RC_EXCLUDED 185        /* the policy excludes the object from backup */
#define PELK_RC_NOT_SET_UP 2000     /* pelkSetUp has not been called */
#define PELK_RC_INVALID_HANDLE 2001 /* no such session */
#define PELK_RC_NULL_POINTER 2002   /* a required pointer is missing */
#define PELK_RC_BAD_VERSION 2003    /* a record's structure version is not supported */
#define PELK_RC_BAD_PARAMETER 2004  /* a value is out of range */
#define PELK_RC_NAME_TOO_LONG 2005  /* a text is longer than its limit */
#define PELK_RC_BAD_SEQUENCE 2006   /* the call is not allowed in the session's state */
#define PELK_RC_NODE_UNKNOWN 2007   /* the node is not registered on the server */
/* an object name is empty, lacks its delimiter or holds a wildcard */
#define PELK_RC_BAD_NAME 2008
#define PELK_RC_NEW_PASSWORD_INVALID 2009 /* the new password breaks the server's rules */
#define PELK_RC_FS_NOT_REGISTERED 2010    /* the object's filespace is not registered */
#define PELK_RC_MC_UNKNOWN 2011           /* no management class of that name */
#define PELK_RC_NO_BACKUP_CG 2012         /* the management class has no backup copy group */
#define PELK_RC_DELETE_NOT_ALLOWED 2013   /* the node may not delete backup objects */
#define PELK_RC_OBJ_UNAVAILABLE 2014      /* the object's data cannot be read on the server */
#define PELK_RC_STORE_ERROR 2015          /* the server's store failed */
#define PELK_RC_OPTION_FILE 2016          /* the client option file cannot be read or is invalid */
#define PELK_RC_BUFFER_TOO_SMALL 2017     /* the answer does not fit the caller's buffer */
#define PELK_RC_NOT_IN_LIST 2018          /* the object is not (further) in the retrieval list */
#define PELK_RC_NAME_IN_USE 2019          /* rename without merge onto an existing object */
#define PELK_RC_DOWNLEVEL_API 2020        /* the application needs a newer interface library */
#define PELK_RC_NOT_SUPPORTED 2021        /* this server does not offer the function */
#define PELK_RC_FS_ALREADY_REGISTERED 2062
#define PELK_RC_MORE_DATA 2200    /* one more answer or data block follows */
#define PELK_RC_CHECK_REASON 2302 /* the transaction was aborted: see the reason */

/* A transaction the server cuts short. Once a call inside a transaction answers
 * PELK_RC_WILL_ABORT (157), the transaction is doomed: the call did nothing, every later object
 * call in it (pelkSendObj, pelkSendData, pelkRenameObj, pelkDeleteObj) answers 157 and does
 * nothing, and pelkEndTxn, whatever the vote, applies nothing of the transaction and answers
 * PELK_RC_CHECK_REASON (2302) with the server's reason, never PELK_RS_ABORT_BY_CLIENT; the
 * session is then outside any transaction. A pelkBeginTxn that answers 157 opens none. So a
 * transaction in which 157 was answered has never committed. */

/* End-of-transaction reasons share the code space; these are the server's own. */
#define PELK_RS_ABORT_SYSTEM_ERROR 1    /* the server ended the transaction */
#define PELK_RS_ABORT_BY_CLIENT 3       /* the client voted abort */
#define PELK_RS_ABORT_EXCEED_MAX_OBJ 11 /* more objects than the node's limit */

/* ---- Limits --------------------------------------------------------------------------------- */
#define PELK_MAX_FSNAME_LENGTH 1024
#define PELK_MAX_HL_LENGTH 1024
#define PELK_MAX_LL_LENGTH 256
#define PELK_MAX_OWNER_LENGTH 64
#define PELK_MAX_NODE_LENGTH 64
#define PELK_MAX_PASSWORD_LENGTH 64
#define PELK_MAX_FSTYPE_LENGTH 32
#define PELK_MAX_MC_NAME_LENGTH 30
#define PELK_MAX_CG_DEST_LENGTH 30
#define PELK_MAX_DOMAIN_LENGTH 30
#define PELK_MAX_PS_NAME_LENGTH 30
#define PELK_MAX_SERVERNAME_LENGTH 64
#define PELK_MAX_SERVERTYPE_LENGTH 32
#define PELK_MAX_OBJINFO_LENGTH 255
#define PELK_MAX_RC_MSG_LENGTH 1023
#define PELK_MAX_EVENT_MSG_LENGTH 1024
#define PELK_APPMSGID_LENGTH 8
#define PELK_PATH_LENGTH 1280
#define PELK_FSATTR_LENGTH 503

/* ---- Constants ------------------------------------------------------------------------------ */
#define PELK_PASSWD_PROMPT 0   /* optStruct.passwordAccess */
#define PELK_PASSWD_GENERATE 1 /* the client keeps the password */

#define PELK_OBJ_ANY 0 /* queries only: any object type */
#define PELK_OBJ_FILE 1
#define PELK_OBJ_DIRECTORY 2

#define PELK_SEND_BACKUP 0
#define PELK_SEND_BACKUP_MOUNTWAIT 2

#define PELK_BACKUP_DELETE 1    /* inactivate by name and copy group */
#define PELK_BACKUP_ID_DELETE 2 /* remove by object id */

#define PELK_VOTE_COMMIT 1
#define PELK_VOTE_ABORT 2

#define PELK_QRY_BACKUP 1
#define PELK_QRY_ACTIVE_BACKUP 2
#define PELK_QRY_FILESPACE 3

#define PELK_ACTIVE 1
#define PELK_INACTIVE 2
#define PELK_ANYMATCH 0xFF

#define PELK_GET_BACKUP 0
#define PELK_REPOSITORY_BACKUP 11

#define PELK_FSUPD_FSTYPE 0x01
#define PELK_FSUPD_FSINFO 0x02
#define PELK_FSUPD_OCCUPANCY 0x04
#define PELK_FSUPD_BACKSTARTDATE 0x08
#define PELK_FSUPD_BACKCOMPLETEDATE 0x10

#define PELK_LOG_SERVER 0

#define PELK_SEV_INFO 0
#define PELK_SEV_WARNING 1
#define PELK_SEV_ERROR 2
#define PELK_SEV_SEVERE 3

#define PELK_COMPRESSION_CLIENT 0 /* the client decides */
#define PELK_COMPRESSION_ON 1
#define PELK_COMPRESSION_OFF 2

#define PELK_DELETE_ALLOWED 1
#define PELK_DELETE_NOT_ALLOWED 2

/* Structure versions the library writes and the newest it accepts. */
#define PELK_ENVSETUP_VERSION 2
#define PELK_SESSINFO_VERSION 2
#define PELK_DATABLK_VERSION 1
#define PELK_OBJATTR_VERSION 2
#define PELK_MCBINDKEY_VERSION 1
#define PELK_REGFSDATA_VERSION 1
#define PELK_FSUPD_VERSION 1
#define PELK_DELBACK_VERSION 1
#define PELK_DELBACKID_VERSION 1
#define PELK_RENAMEIN_VERSION 1
#define PELK_RENAMEOUT_VERSION 1
#define PELK_QRYBACKUP_VERSION 2
#define PELK_QRYACTIVEBACKUP_VERSION 1
#define PELK_QRYFS_VERSION 1
#define PELK_QRYRESPBACKUP_VERSION 2
#define PELK_QRYRESPFS_VERSION 1
#define PELK_GETLIST_VERSION 2
#define PELK_LOGEXIN_VERSION 1
#define PELK_LOGEXOUT_VERSION 1

/* ---- Records -------------------------------------------------------------------------------- */
#pragma pack(push, 1)

typedef struct {
  pelkUint32_t hi;
  pelkUint32_t lo;
} pelkUint64_t;

typedef struct { /* 160 bits, the first word the most significant */
  pelkUint32_t top;
  pelkUint32_t hi_hi;
  pelkUint32_t hi_lo;
  pelkUint32_t lo_hi;
  pelkUint32_t lo_lo;
} pelkUint160_t;

typedef struct { /* local time; all zero for none */
  pelkUint16_t year;
  pelkUint8_t month;
  pelkUint8_t day;
  pelkUint8_t hour;
  pelkUint8_t minute;
  pelkUint8_t second;
} pelkDate;

typedef struct {
  pelkUint16_t version;
  pelkUint16_t release;
  pelkUint16_t level;
} pelkApiVersion;

typedef struct {
  pelkUint16_t stVersion;
  char pelkiDir[PELK_PATH_LENGTH];    /* interface directory */
  char pelkiConfig[PELK_PATH_LENGTH]; /* client option file */
  char pelkiLog[PELK_PATH_LENGTH];    /* error-log directory */
  char** argv;
} PelkEnvSetUp;

typedef struct {
  pelkUint8_t passwordAccess;              /* PELK_PASSWD_PROMPT or PELK_PASSWD_GENERATE */
  char nodeName[PELK_MAX_NODE_LENGTH + 1]; /* the option file's node, as the server sees it */
} optStruct;

typedef struct {
  char fs[PELK_MAX_FSNAME_LENGTH + 1];
  char hl[PELK_MAX_HL_LENGTH + 1];
  char ll[PELK_MAX_LL_LENGTH + 1];
  pelkUint8_t objType;
} pelkObjName;

typedef struct {
  pelkUint16_t stVersion;
  pelkUint32_t bufferLen;
  pelkUint32_t numBytes; /* set by the library: bytes sent or received */
  char* bufferPtr;
} DataBlk;

typedef struct {
  pelkUint16_t stVersion;
  char mcName[PELK_MAX_MC_NAME_LENGTH + 1];
  pelkBool_t backup_cg_exists;
  char backup_copy_dest[PELK_MAX_CG_DEST_LENGTH + 1];
} mcBindKey;

typedef struct {
  pelkUint16_t stVersion;
  char owner[PELK_MAX_OWNER_LENGTH + 1];
  pelkUint64_t sizeEstimate;
  pelkBool_t objCompressed;
  pelkUint16_t objInfoLength;
  char* objInfo;
  char* mcNameP; /* binds the object to this class; none or empty: the policy's rules */
} ObjAttr;

typedef struct {
  char fsInfo[PELK_FSATTR_LENGTH];
} pelkFSAttr;

typedef struct {
  pelkUint16_t stVersion;
  char* fsName;
  char* fsType;
  pelkUint64_t occupancy;
  pelkUint64_t capacity;
  pelkFSAttr fsAttr;
} regFSData;

typedef struct {
  pelkUint16_t stVersion;
  char* fsType;
  pelkUint64_t occupancy;
  pelkUint64_t capacity;
  pelkFSAttr fsAttr;
} pelkFSUpd;

typedef struct {
  pelkUint16_t stVersion;
  pelkObjName* objNameP;
  pelkUint32_t copyGroup;
} delBack;

typedef struct {
  pelkUint16_t stVersion;
  pelkUint64_t objId;
} delBackID;

typedef union {
  delBack backInfo;
  delBackID backIDInfo;
} pelkDelInfo;

typedef struct {
  pelkUint16_t stVersion;
  pelkUint32_t pelkHandle;
  pelkUint8_t repository; /* PELK_REPOSITORY_BACKUP */
  pelkObjName* objNameP;
  char newHl[PELK_MAX_HL_LENGTH + 1];
  char newLl[PELK_MAX_LL_LENGTH + 1];
  pelkBool_t merge;
} pelkRenameIn;

typedef struct {
  pelkUint16_t stVersion;
} pelkRenameOut;

typedef struct {
  pelkUint16_t stVersion;
  pelkObjName* objName; /* '*' and '?' apply in hl and ll */
  char* owner;          /* none or empty: any owner */
  pelkUint8_t objState; /* PELK_ACTIVE, PELK_INACTIVE, PELK_ANYMATCH */
  pelkDate pitDate;     /* version 2; all zero: none, else the versions active at that time */
} qryBackupData;

typedef struct {
  pelkUint16_t stVersion;
  pelkObjName* objName;
} qryActiveBackupData;

typedef struct {
  pelkUint16_t stVersion;
  char* fsName; /* '*' and '?' apply */
} qryFSData;

typedef struct { /* 2727 bytes */
  pelkUint16_t stVersion;
  pelkObjName objName;
  pelkUint32_t copyGroup;
  char mcName[PELK_MAX_MC_NAME_LENGTH + 1];
  char owner[PELK_MAX_OWNER_LENGTH + 1];
  pelkUint64_t objId;
  pelkUint64_t objSize; /* bytes stored */
  pelkUint8_t objCompressed;
  pelkUint8_t objState;
  pelkDate insDate;
  pelkDate expDate; /* deactivation date; zero while active */
  pelkUint160_t restoreOrderExt;
  pelkUint64_t sizeEstimate;
  pelkUint16_t objInfolen;
  char objInfo[PELK_MAX_OBJINFO_LENGTH];
} qryRespBackupData;

typedef struct {
  pelkUint16_t stVersion;
  char fsName[PELK_MAX_FSNAME_LENGTH + 1];
  char fsType[PELK_MAX_FSTYPE_LENGTH + 1];
  pelkUint64_t occupancy;
  pelkUint64_t capacity;
  pelkFSAttr fsAttr;
  pelkDate backStartDate;
  pelkDate backCompleteDate;
} qryRespFSData;

typedef struct {
  pelkUint16_t stVersion;
  pelkUint64_t partialObjOffset;
  pelkUint64_t partialObjLength;
} PartialObjData;

typedef struct {
  pelkUint16_t stVersion;
  pelkUint32_t numObjId;
  pelkUint64_t* objId;
  PartialObjData* partialObjData; /* must be none */
} pelkGetList;

typedef struct {
  pelkUint16_t stVersion;
  pelkUint8_t severity; /* PELK_SEV_... */
  char appMsgID[PELK_APPMSGID_LENGTH + 1];
  pelkUint8_t logType; /* PELK_LOG_SERVER */
  char* message;
} pelkLogExIn;

typedef struct {
  pelkUint16_t stVersion;
} pelkLogExOut;

typedef struct { /* 1725 bytes */
  pelkUint16_t stVersion;
  char serverHost[PELK_MAX_SERVERNAME_LENGTH + 1];
  pelkUint16_t serverPort;
  pelkDate serverDate;
  char serverType[PELK_MAX_SERVERTYPE_LENGTH + 1];
  pelkUint16_t serverVer;
  pelkUint16_t serverRel;
  pelkUint16_t serverLev;
  pelkUint16_t serverSubLev;
  char nodeType[PELK_MAX_SERVERTYPE_LENGTH + 1];
  char fsdelim;
  char hldelim;
  pelkUint8_t compression; /* PELK_COMPRESSION_... */
  pelkUint8_t backDel;     /* PELK_DELETE_ALLOWED or PELK_DELETE_NOT_ALLOWED */
  pelkUint16_t maxObjPerTxn;
  char id[PELK_MAX_NODE_LENGTH + 1];
  char owner[PELK_MAX_OWNER_LENGTH + 1];
  char domainName[PELK_MAX_DOMAIN_LENGTH + 1];
  char policySetName[PELK_MAX_PS_NAME_LENGTH + 1];
  char dfltMCName[PELK_MAX_MC_NAME_LENGTH + 1];
  char moxtarServerName[PELK_MAX_SERVERNAME_LENGTH + 1];
  char confFile[PELK_PATH_LENGTH];
  pelkUint8_t reserved;
} pelkSessInfo;

typedef struct {
  pelkUint16_t stVersion;
  pelkUint32_t ruleNumber;
  char node[PELK_MAX_NODE_LENGTH + 1];
  char fs[PELK_MAX_FSNAME_LENGTH + 1];
} pelkAccessRule;

#pragma pack(pop)

/* ---- Entry points --------------------------------------------------------------------------- */
PELK_EXPORT pelkInt16_t pelkBeginGetData(pelkUint32_t pelkHandle, pelkBool_t mountWait,
                                         pelkUint8_t getType, pelkGetList* getListP);
PELK_EXPORT pelkInt16_t pelkBeginQuery(pelkUint32_t pelkHandle, pelkUint8_t queryType,
                                       void* queryBuffer);
PELK_EXPORT pelkInt16_t pelkBeginTxn(pelkUint32_t pelkHandle);
PELK_EXPORT pelkInt16_t pelkBindMC(pelkUint32_t pelkHandle, pelkObjName* objNameP,
                                   pelkUint8_t sendType, mcBindKey* mcBindKeyP);
PELK_EXPORT pelkInt16_t pelkChangePW(pelkUint32_t pelkHandle, char* oldPW, char* newPW);
PELK_EXPORT pelkInt16_t pelkCleanUp(pelkBool_t mtFlag);
PELK_EXPORT pelkInt16_t pelkDeleteAccess(pelkUint32_t pelkHandle, pelkUint32_t ruleNumber);
PELK_EXPORT pelkInt16_t pelkDeleteFS(pelkUint32_t pelkHandle, char* fsName, pelkUint8_t repository);
PELK_EXPORT pelkInt16_t pelkDeleteObj(pelkUint32_t pelkHandle, pelkUint8_t delType,
                                      pelkDelInfo delInfo);
PELK_EXPORT pelkInt16_t pelkEndGetData(pelkUint32_t pelkHandle);
PELK_EXPORT pelkInt16_t pelkEndGetObj(pelkUint32_t pelkHandle);
PELK_EXPORT pelkInt16_t pelkEndQuery(pelkUint32_t pelkHandle);
PELK_EXPORT pelkInt16_t pelkEndSendObj(pelkUint32_t pelkHandle);
PELK_EXPORT pelkInt16_t pelkEndTxn(pelkUint32_t pelkHandle, pelkUint8_t vote, pelkUint16_t* reason);
PELK_EXPORT pelkInt16_t pelkGetData(pelkUint32_t pelkHandle, DataBlk* dataBlkPtr);
PELK_EXPORT pelkInt16_t pelkGetNextQObj(pelkUint32_t pelkHandle, DataBlk* dataBlkPtr);
PELK_EXPORT pelkInt16_t pelkGetObj(pelkUint32_t pelkHandle, pelkUint64_t* objIdP,
                                   DataBlk* dataBlkPtr);
PELK_EXPORT pelkInt16_t pelkInit(pelkUint32_t* pelkHandleP, pelkApiVersion* apiVersionP,
                                 char* clientNodeNameP, char* clientOwnerNameP,
                                 char* clientPasswordP, char* applicationType, char* configfile,
                                 char* options);
PELK_EXPORT pelkInt16_t pelkLogEventEx(pelkUint32_t pelkHandle, pelkLogExIn* logExInP,
                                       pelkLogExOut* logExOutP);
PELK_EXPORT pelkInt16_t pelkQueryAccess(pelkUint32_t pelkHandle, pelkAccessRule** accessListP,
                                        pelkUint16_t* numberOfRules);
PELK_EXPORT void pelkQueryApiVersion(pelkApiVersion* apiVersionP);
PELK_EXPORT pelkInt16_t pelkQueryCliOptions(optStruct* optStructP);
PELK_EXPORT pelkInt16_t pelkQuerySessInfo(pelkUint32_t pelkHandle, pelkSessInfo* sessInfoP);
PELK_EXPORT pelkInt16_t pelkQuerySessOptions(pelkUint32_t pelkHandle, optStruct* optStructP);
PELK_EXPORT pelkInt16_t pelkRCMsg(pelkUint32_t pelkHandle, pelkInt16_t code, char* msg);
PELK_EXPORT pelkInt16_t pelkRegisterFS(pelkUint32_t pelkHandle, regFSData* regFilespaceP);
PELK_EXPORT pelkInt16_t pelkRenameObj(pelkRenameIn* renameInP, pelkRenameOut* renameOutP);
PELK_EXPORT pelkInt16_t pelkSetAccess(pelkUint32_t pelkHandle, pelkAccessRule* accessRuleP);
PELK_EXPORT pelkInt16_t pelkSendData(pelkUint32_t pelkHandle, DataBlk* dataBlkPtr);
PELK_EXPORT pelkInt16_t pelkSendObj(pelkUint32_t pelkHandle, pelkUint8_t sendType, void* sendBuff,
                                    pelkObjName* objNameP, ObjAttr* objAttrPtr,
                                    DataBlk* dataBlkPtr);
PELK_EXPORT pelkInt16_t pelkSetUp(pelkBool_t mtFlag, PelkEnvSetUp* envSetUpP);
PELK_EXPORT pelkInt16_t pelkTerminate(pelkUint32_t pelkHandle);
PELK_EXPORT pelkInt16_t pelkUpdateFS(pelkUint32_t pelkHandle, char* fsName, pelkFSUpd* fsUpdP,
                                     pelkUint32_t fsUpdAct);
PELK_EXPORT pelkInt16_t pelkUpdateObj(pelkUint32_t pelkHandle, pelkUint8_t sendType, void* sendBuff,
                                      pelkObjName* objNameP, ObjAttr* objAttrPtr,
                                      pelkUint32_t objUpdAct);

#ifdef __cplusplus
}
#endif

#endif /* HUBLORAPI_H */
