// Compiled with one library's include paths. Each macro the library's target defines names a
// layer above it whose headers must stay out of its reach; the windows and commands are above
// every library.
#if __has_include("app/frmMain.h") || __has_include("commands/FileCommands.h")
#error "a library sees the windows or their commands"
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
