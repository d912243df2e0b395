; brix-setup-<version>.exe: puts brix.scr into the system folder, where the
; display settings list screen savers, makes it the user's screen saver and
; registers an uninstaller that puts the previous saver back.
;
; Built by installer/CMakeLists.txt, which passes:
;   BRIX_SCR      the brix.scr to ship
;   OUT_FILE      the installer to write
;   VERSION       the version users see (1.5)
;   FILE_VERSION  the four-part version (1.5.0.0)
;   UNINSTALL_EXE the program users run to uninstall (uninstall.cpp), which
;                 runs this script's uninstaller in place and waits for it
; and, when a 64-bit build was made too:
;   BRIX_SCR64    the 64-bit brix.scr, for 64-bit Windows

Unicode true
SetCompressor /SOLID lzma
!include LogicLib.nsh
!include x64.nsh
!include FileFunc.nsh
!include MUI2.nsh

!ifndef BRIX_SCR | OUT_FILE | VERSION | FILE_VERSION | UNINSTALL_EXE
  !error "BRIX_SCR, OUT_FILE, VERSION, FILE_VERSION and UNINSTALL_EXE must be defined"
!endif

!define PRODUCT "Brix"
!define PUBLISHER "Dusklit"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Brix"
!define DESKTOP_KEY "Control Panel\Desktop"
; What the installer found before it made brix.scr the saver, for the
; uninstaller to put back; per user, beside the user's saver settings.
!define STATE_KEY "Software\Dusklit\Brix"
!define SPI_SETSCREENSAVEACTIVE 17
!define SPIF_SENDCHANGE 2

Name "${PRODUCT} ${VERSION}"
OutFile "${OUT_FILE}"
; The system folder is writable only by administrators.
RequestExecutionLevel admin
InstallDir "$PROGRAMFILES\${PRODUCT}"
ShowInstDetails show
ShowUninstDetails show

VIProductVersion "${FILE_VERSION}"
VIFileVersion "${FILE_VERSION}"
VIAddVersionKey "ProductName" "${PRODUCT}"
VIAddVersionKey "CompanyName" "${PUBLISHER}"
VIAddVersionKey "FileDescription" "${PRODUCT} screen saver setup"
VIAddVersionKey "FileVersion" "${FILE_VERSION}"
VIAddVersionKey "ProductVersion" "${VERSION}"
VIAddVersionKey "LegalCopyright" "${PUBLISHER}"

Var SaverDir    ; the system folder brix.scr belongs in
Var SaverPath   ; brix.scr there, as the registry names it
Var Native64    ; 1 when the 64-bit brix.scr goes into the real System32
Var FinishText  ; what the finish page says was done

; No folder page, and no /D= either: the folder holds the uninstaller,
; which Add/Remove Programs runs with administrator rights, so it lies
; where users cannot write. The finish page says what changed.
!define MUI_FINISHPAGE_TITLE "Brix is installed"
!define MUI_FINISHPAGE_TEXT "$FinishText"
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "English"

; The folder for brix.scr: System32 on 32-bit Windows. On 64-bit Windows,
; the 64-bit brix.scr in System32 when this installer carries one, else the
; 32-bit one in SysWOW64, where the system would redirect this 32-bit
; installer's writes to System32 anyway. Named outright, so the path
; written to the registry is the one the file really has.
!macro FindSaverDir
  StrCpy $Native64 0
  ${If} ${RunningX64}
!ifdef BRIX_SCR64
    StrCpy $Native64 1
    StrCpy $SaverDir "$WINDIR\System32"
!else
    StrCpy $SaverDir "$WINDIR\SysWOW64"
!endif
  ${Else}
    StrCpy $SaverDir "$SYSDIR"
  ${EndIf}
!macroend

; While this 32-bit installer works on the 64-bit System32, the system must
; not redirect its file operations and path look-ups to SysWOW64.
!macro SeeNativeSystem32
  ${If} $Native64 == 1
    ${DisableX64FSRedirection}
    ; A 64-bit program's entries belong in the registry's 64-bit view.
    SetRegView 64
  ${EndIf}
!macroend

; Pushes 1 when the saver path the system holds (on the stack) names our
; brix.scr, else 0. Short forms compare as one whatever the spelling, and
; StrCmp ignores case.
!macro NamesOurs un
Function ${un}NamesOurs
  Exch $0
  Push $1
  Push $2
  ${If} $0 == ""
    StrCpy $1 0
  ${ElseIf} $0 == $SaverPath
    StrCpy $1 1
  ${Else}
    GetFullPathName /SHORT $1 $0
    GetFullPathName /SHORT $2 $SaverPath
    ${If} $1 != ""
    ${AndIf} $1 == $2
      StrCpy $1 1
    ${Else}
      StrCpy $1 0
    ${EndIf}
  ${EndIf}
  StrCpy $0 $1
  Pop $2
  Pop $1
  Exch $0
FunctionEnd
!macroend
!insertmacro NamesOurs ""
!insertmacro NamesOurs "un."

Function .onInit
  !insertmacro FindSaverDir
  StrCpy $INSTDIR "$PROGRAMFILES\${PRODUCT}"
  ${If} $Native64 == 1
    StrCpy $INSTDIR "$PROGRAMFILES64\${PRODUCT}"
  ${EndIf}
FunctionEnd

Section "Brix"
  !insertmacro SeeNativeSystem32
  SetOutPath $SaverDir
!ifdef BRIX_SCR64
  ${If} $Native64 == 1
    File "/oname=brix.scr" "${BRIX_SCR64}"
  ${Else}
    File "/oname=brix.scr" "${BRIX_SCR}"
  ${EndIf}
!else
  File "/oname=brix.scr" "${BRIX_SCR}"
!endif
  ; Windows has always stored the saver as a short 8.3 path: older
  ; versions start it with a command line cut at the first space.
  GetFullPathName /SHORT $SaverPath "$SaverDir\brix.scr"
  ${If} $SaverPath == ""
    StrCpy $SaverPath "$SaverDir\brix.scr"
  ${EndIf}

  ; Remember the saver the user had, and "none" too, unless it is ours
  ; already: a second install must not forget what the first one found.
  ; Ours without a record (chosen by hand before) leaves nothing to put back.
  ClearErrors
  ReadRegStr $0 HKCU "${DESKTOP_KEY}" "SCRNSAVE.EXE"
  ${If} ${Errors}
    StrCpy $2 0
  ${Else}
    StrCpy $2 1
  ${EndIf}
  Push $0
  Call NamesOurs
  Pop $1
  ReadRegStr $3 HKCU "${STATE_KEY}" "InstalledAs"
  ${If} $1 == 1
    StrCpy $FinishText "Brix was already your screen saver, and stays it."
  ${ElseIf} $2 == 1
  ${AndIf} $0 != ""
    ${GetFileName} $0 $4
    StrCpy $FinishText "Brix is now your screen saver. It replaced $4 ($0), which uninstalling Brix puts back."
  ${Else}
    StrCpy $FinishText "Brix is now your screen saver. You had no screen saver before."
  ${EndIf}
  ${If} $1 == 0
  ${OrIf} $3 == ""
    DeleteRegKey HKCU "${STATE_KEY}"
    ${If} $1 == 1
      StrCpy $2 0
    ${EndIf}
    WriteRegDWORD HKCU "${STATE_KEY}" "HadSaver" $2
    ${If} $2 == 1
      WriteRegStr HKCU "${STATE_KEY}" "Saver" $0
    ${EndIf}
    ClearErrors
    ReadRegStr $0 HKCU "${DESKTOP_KEY}" "ScreenSaveActive"
    ${If} ${Errors}
      WriteRegDWORD HKCU "${STATE_KEY}" "HadActive" 0
    ${Else}
      WriteRegDWORD HKCU "${STATE_KEY}" "HadActive" 1
      WriteRegStr HKCU "${STATE_KEY}" "Active" $0
    ${EndIf}
  ${EndIf}
  WriteRegStr HKCU "${STATE_KEY}" "InstalledAs" $SaverPath

  WriteRegStr HKCU "${DESKTOP_KEY}" "SCRNSAVE.EXE" $SaverPath
  WriteRegStr HKCU "${DESKTOP_KEY}" "ScreenSaveActive" "1"
  ; Tell the running system, which read the settings at log-on.
  System::Call 'user32::SystemParametersInfoW(i ${SPI_SETSCREENSAVEACTIVE}, i 1, p 0, i ${SPIF_SENDCHANGE})'

  ; uninstall.exe runs brix-uninstall.exe in place and returns when it has
  ; ended, then removes both and the folder: the uninstaller NSIS makes
  ; would copy itself away and return at once.
  SetOutPath $INSTDIR
  WriteUninstaller "$INSTDIR\brix-uninstall.exe"
  File "/oname=uninstall.exe" "${UNINSTALL_EXE}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT} screen saver"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "${PUBLISHER}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "$SaverDir\brix.scr"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
SectionEnd

Function un.onInit
  !insertmacro FindSaverDir
  ; The registry view here; file redirection belongs to the thread that
  ; runs the section, which turns it off again.
  !insertmacro SeeNativeSystem32
  ReadRegStr $SaverPath HKCU "${STATE_KEY}" "InstalledAs"
  ${If} $SaverPath == ""
    StrCpy $SaverPath "$SaverDir\brix.scr"
  ${EndIf}
FunctionEnd

Section "Uninstall"
  !insertmacro SeeNativeSystem32
  ; Put the previous saver back only while ours is still the one chosen:
  ; a saver the user picked since stays, with its setting of active.
  ReadRegStr $0 HKCU "${DESKTOP_KEY}" "SCRNSAVE.EXE"
  Push $0
  Call un.NamesOurs
  Pop $1
  ${If} $1 == 1
    ReadRegDWORD $0 HKCU "${STATE_KEY}" "HadSaver"
    ${If} $0 == 1
      ReadRegStr $0 HKCU "${STATE_KEY}" "Saver"
      WriteRegStr HKCU "${DESKTOP_KEY}" "SCRNSAVE.EXE" $0
    ${Else}
      DeleteRegValue HKCU "${DESKTOP_KEY}" "SCRNSAVE.EXE"
    ${EndIf}
    ReadRegDWORD $0 HKCU "${STATE_KEY}" "HadActive"
    ${If} $0 == 1
      ReadRegStr $0 HKCU "${STATE_KEY}" "Active"
      WriteRegStr HKCU "${DESKTOP_KEY}" "ScreenSaveActive" $0
    ${Else}
      DeleteRegValue HKCU "${DESKTOP_KEY}" "ScreenSaveActive"
    ${EndIf}
  ${EndIf}
  DeleteRegKey HKCU "${STATE_KEY}"
  ; The vendor key, once nothing else of ours is left under it.
  DeleteRegKey /ifempty HKCU "Software\Dusklit"

  Delete "$SaverDir\brix.scr"
  DeleteRegKey HKLM "${UNINSTALL_KEY}"
  ; Run by uninstall.exe, in place: these fail while both run, and
  ; uninstall.exe removes them when this has ended. Started on its own,
  ; this runs from a copy and removes them itself.
  Delete "$INSTDIR\uninstall.exe"
  Delete "$INSTDIR\brix-uninstall.exe"
  RMDir "$INSTDIR"
SectionEnd
