// Files and disks: whether a name is a file, the space of a disk, creating the directories of
// a path and splitting a path into its parts.
#include <sys/stat.h>
#include <sys/statvfs.h>

#include <cerrno>
#include <cstring>
#include <string>

#include "agtrc.h"
#include "agttrc.h"
#include "psutil.h"

namespace {

// Errors of a lookup that only say the entry is not there.
bool meansAbsent(int error) { return error == ENOENT || error == ENOTDIR; }

// Where the first directory to create begins: after the share ("//server/share/") of a network
// name, else after the leading '/'s; npos when there is nothing to create.
size_t firstComponent(const std::string& dir) {
  if (dir.compare(0, 2, "//") != 0) return dir.find_first_not_of('/');
  size_t serverEnd = dir.find('/', 2);
  if (serverEnd == std::string::npos) return std::string::npos;
  size_t shareEnd = dir.find('/', serverEnd + 1);
  if (shareEnd == std::string::npos) return std::string::npos;
  return shareEnd + 1;
}

// Creates the directory `name` unless it is one already.
int createOne(const std::string& name) {
  struct stat status;
  if (stat(name.c_str(), &status) == 0) {
    if (S_ISDIR(status.st_mode)) return RC_OK;
    TRACE_LINE(TRC_FILEOPS,
               "Directory %s can not be created because it already exists as a file.\n",
               name.c_str());
    return RC_CREATE_DIR_FAILED;
  }
  if (!meansAbsent(errno)) {
    TRACE_LINE(TRC_FILEOPS, "Unable to look up %s, errno = %d\n", name.c_str(), errno);
    return RC_INTERNAL_ERROR;
  }
  if (mkdir(name.c_str(), 0777) == 0 || errno == EEXIST) return RC_OK;
  TRACE_LINE(TRC_FILEOPS, "CreateDirectory( %s ) failed, rc = %d\n", name.c_str(), errno);
  return RC_CREATE_DIR_FAILED;
}

// Copies the text into an optional output; false when it does not fit (the output is then
// empty).
bool copyPart(const std::string& text, char* outP, size_t outSize) {
  if (outP == nullptr) return true;
  if (outSize == 0) return false;
  if (text.size() + 1 > outSize) {
    outP[0] = '\0';
    return false;
  }
  memcpy(outP, text.c_str(), text.size() + 1);
  return true;
}

}  // namespace

int psIsAFile(const char* fileNameP, int* isFileP) {
  *isFileP = 0;
  struct stat status;
  if (stat(fileNameP, &status) != 0) {
    int error = errno;
    TRACE_LINE(TRC_FILEOPS, "File ( %s ) does not exist. FindFirstFile() returned %d\n",
               fileNameP, error);
    return meansAbsent(error) ? RC_OK : RC_INTERNAL_ERROR;
  }
  if (S_ISDIR(status.st_mode)) {
    TRACE_LINE(TRC_FILEOPS, "%s is a Directory, not a regular file.\n", fileNameP);
    return RC_OK;
  }
  TRACE_LINE(TRC_FILEOPS, "%s is a regular file, not a directory.\n", fileNameP);
  *isFileP = 1;
  return RC_OK;
}

int psGetDiskSpaceInfo(const char* pathP, pkInt64* freeBytesP, pkInt64* diskSizeP) {
  *freeBytesP = pkInt64Zero;
  *diskSizeP = pkInt64Zero;
  std::string path(pathP);
  size_t slash = path.rfind('/');
  if (slash != std::string::npos) path.erase(slash + 1);
  struct statvfs disk;
  if (statvfs(path.c_str(), &disk) != 0) {
    TRACE_LINE(TRC_FILEOPS, "GetDiskSpace( %s ) failed, rc = %d\n", path.c_str(), errno);
    return RC_DISK_SPACE_FAILED;
  }
  *freeBytesP = pkInt64FromNative(int64_t(uint64_t(disk.f_bavail) * disk.f_frsize));
  *diskSizeP = pkInt64FromNative(int64_t(uint64_t(disk.f_blocks) * disk.f_frsize));
  return RC_OK;
}

int psGetFreeDiskBytes(const char* pathP, pkInt64* freeBytesP) {
  pkInt64 diskSize;
  return psGetDiskSpaceInfo(pathP, freeBytesP, &diskSize);
}

int psGetDiskSize(const char* pathP, pkInt64* diskSizeP) {
  pkInt64 freeBytes;
  return psGetDiskSpaceInfo(pathP, &freeBytes, diskSizeP);
}

int psCreateDirectory(const char* filePathP) {
  std::string path(filePathP);
  size_t slash = path.rfind('/');
  if (slash == std::string::npos) return RC_OK;  // a bare file name: nothing to create
  std::string dir = path.substr(0, slash);
  if (dir.size() > PS_MAX_CREATE_PATH) {
    TRACE_LINE(TRC_FILEOPS, "The directory name is too long.\n");
    return RC_NAME_TOO_LONG;
  }
  size_t start = firstComponent(dir);
  if (start == std::string::npos) return RC_OK;  // the root, or a share itself
  for (size_t end = dir.find('/', start);; end = dir.find('/', end + 1)) {
    if (end != start) {  // "a//b" has an empty component
      int rc = createOne(dir.substr(0, end));
      if (rc != RC_OK) return rc;
    }
    if (end == std::string::npos) return RC_OK;
    start = end + 1;
  }
}

int psSplitPath(const char* pathP, char* driveP, size_t driveSize, char* dirP, size_t dirSize,
                char* fileP, size_t fileSize) {
  std::string path(pathP);
  size_t slash = path.rfind('/');
  size_t fileStart = slash == std::string::npos ? 0 : slash + 1;
  bool fits = copyPart("", driveP, driveSize);
  fits = copyPart(path.substr(0, fileStart), dirP, dirSize) && fits;
  fits = copyPart(path.substr(fileStart), fileP, fileSize) && fits;
  return fits ? RC_OK : RC_NAME_TOO_LONG;
}

char psGetSystemDrive() { return '/'; }
