/* TAMRELUTILS: the installer custom actions of the product's installer package.
 *
 * Each action takes the installer session, sets installer properties, writes a line to the
 * installer log for every installer call that fails and for the language it resolved, and
 * returns ERROR_SUCCESS in every case, so that it never stops an installation. No action keeps
 * state between calls.
 */
#ifndef ZARNAK_INSTALLER_TAMRELUTILS_H
#define ZARNAK_INSTALLER_TAMRELUTILS_H

#include "msi.h"

#ifdef __cplusplus
extern "C" {
#endif

/* Sets INSTALLDIR to the "InstallLocation" of the installed product named by ProductCode. */
MSI_EXPORT UINT GetInstallDir(MSIHANDLE hInstall);

/* Sets TAMRELLANGUAGE to the three-letter code of ProductLanguage ("enu" when unknown). */
MSI_EXPORT UINT ResolveLangId(MSIHANDLE hInstall);

/* Sets SYSTEMPRIMARYLANGUAGEID and SYSTEMSUBLANGUAGEID from the number SystemLanguageID. */
MSI_EXPORT UINT SetPrimarySystemLanguageID(MSIHANDLE hInstall);

#ifdef __cplusplus
}
#endif

#endif /* ZARNAK_INSTALLER_TAMRELUTILS_H */
