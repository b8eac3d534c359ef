// The Options tab: preferences, the Active Desktop switch, transparency and
// the de-installation of the product.
#include "desktop/kel_basActiveDesktop.h"
#include "desktop/zkr_basOptions.h"
#include "platform/files.h"
#include "runtime/app.h"
#include "runtime/msgbox.h"
#include "runtime/report.h"
#include "runtime/variant.h"
#include "startup/kel_basINI.h"
#include "window/frmZKRMain.h"

void frmZKRMain::zkr_SetOptions() {
    try {
        std::string minimize =
            kel_GetPrivateProfileString(AppState.INIFile, "Options", "MinimizeAfterApply", "0");
        // The file holds the level applied, which is the slider's position minus one.
        Slider1.SetValue(getModuleTransparency() + 1);
        chkMinimizeAfterApply.SetValue(Val(minimize) == 0 ? 0 : 1);
        std::string exit =
            kel_GetPrivateProfileString(AppState.INIFile, "Options", "ExitAfterApply", "0");
        chkExitAfterApply.SetValue(Val(exit) == 0 ? 0 : 1);
        chkSound.SetValue(zkr_SoundAllowed(AppState.INIFile) ? 1 : 0);
    } catch (const Failure& f) {
        ReportFailure(f, "zkr_SetOptions_ERROR");
    }
}

void frmZKRMain::chkExitAfterApply_Click() {
    kel_WritePrivateProfileString(AppState.INIFile, "Options", "ExitAfterApply",
                                  std::to_string(chkExitAfterApply.Value()));
}

void frmZKRMain::chkMinimizeAfterApply_Click() {
    kel_WritePrivateProfileString(AppState.INIFile, "Options", "MinimizeAfterApply",
                                  std::to_string(chkMinimizeAfterApply.Value()));
}

void frmZKRMain::chkSound_Click() {
    // Written only when it changes: on by default, the file need not say so.
    bool allowed = chkSound.Value() == 1;
    if (allowed != zkr_SoundAllowed(AppState.INIFile)) zkr_SetSoundAllowed(AppState.INIFile, allowed);
}

void frmZKRMain::chkShowDeskTop_Click() {
    // The box mirrors the shell, so it compares with the shell's real state:
    // from XP on the version rule would always answer "on", and a desktop
    // switched off could never be switched on again.
    bool on = kel_IsActiveDesktopOn();
    if (chkShowDeskTop.Value() == 1) {
        if (!on) kel_SetActiveDesktopEnabled();
    } else {
        if (on) kel_SetActiveDesktopDisabled();
    }
    zkr_SetModuleCommandState();
    zkr_ShowDesktopStatus();
}

void frmZKRMain::zkr_ApplyModuleTransparency() {
    try {
        std::string level = std::to_string(Slider1.Value() - 1);
        platform::WriteTextFile(AppState.ApplicationPath + "themes" + "\\options.txt",
                                "&utilTransparency=" + level + "&\r\n");
        if (zkr_IsZKRModuleApplied()) {
            zkr_SyncManager();
            kel_RemoveWallPaper();
            zkr_ApplyModuleToDesktop();
        }
        zkr_SetStatus("Transparency " + level + " applied.");
    } catch (const Failure& f) {
        ReportError(f);
    }
}

int16_t frmZKRMain::getModuleTransparency() {
    int16_t result = 0;
    try {
        result = zkr_ParseModuleTransparency(
            platform::ReadFirstLine(AppState.ApplicationPath + "THEMES\\Options.txt"));
    } catch (const Failure& f) {
        MsgBox(ErrorText(f), vbCritical, App::Title() + " - getModuleTransparency");
        return 0;
    }
    return result;
}

void frmZKRMain::cmdApplyTransparency_Click() {
    zkr_ApplyModuleTransparency();
}

void frmZKRMain::cmdDeInstall_Click() {
    zkr_DeInstallManager();
}

void frmZKRMain::zkr_DeInstallManager() {
    try {
        if (!zkr_IsZKRModuleApplied()) {
            if (MsgBox(
                    "Are you sure you would like to remove Zelkora Manager? Click OK to continue "
                    "de-installation",
                    vbOKCancel + vbQuestion, App::Title()) == vbCancel)
                return;
        } else {
            if (MsgBox("An Zelkora module is currently running on the desktop. Click OK to remove "
                       "the zelkora module and continue de-installation",
                       vbOKCancel + vbQuestion, App::Title()) != vbOK)
                return;
            kel_RemoveWallPaper();
        }
        Interaction::Shell(AppState.DeInstallPath, 1);
        End();
    } catch (const Failure& f) {
        ReportFailure(f, "zkr_SyncManager");
    }
}
