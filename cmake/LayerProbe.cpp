// Compiled with one library's include paths. Each macro the library's target defines names a
// layer above it whose headers must stay out of its reach.
#if defined(BELOW_WIRING) && __has_include("wiring/Commands.h")
#error "a library sees the wiring of commands to windows"
#endif
#if defined(BELOW_WINDOWS) && (__has_include("app/frmMain.h") ||                                   \
                               __has_include("find/frmFind.h") ||                                  \
                                             __has_include("print/frmPrint.h") ||                  \
                                                           __has_include("dialogs/frmHelp.h"))
#error "a library below the windows sees them"
#endif
#if defined(BELOW_COMMANDS) && __has_include("commands/FileCommands.h")
#error "a library below the commands sees them"
#endif
#if defined(BELOW_SETTINGS) && __has_include("settings/SettingsStore.h")
#error "a library beside the settings sees them"
#endif
#if defined(CORE_ONLY) && (__has_include(<QGuiApplication>) || __has_include(<QWidget>))
#error "a library meant for Qt Core alone sees Qt's GUI modules"
#endif
#if defined(BELOW_EDITOR) && __has_include("editor/TextView.h")
#error "a library below the editor sees it"
#endif
#if defined(BELOW_PLATFORM) && __has_include("platform/Platform.h")
#error "a library below the platform seam sees it"
#endif
#if defined(BELOW_DOCUMENT) && __has_include("document/Document.h")
#error "a library below the document sees it"
#endif
#if defined(BELOW_TEXT) && __has_include("text/TextBuffer.h")
#error "a library below the text sees it"
#endif
