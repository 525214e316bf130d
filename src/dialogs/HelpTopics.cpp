#include "dialogs/HelpTopics.h"

const std::array<HelpTopic, 5>& helpTopics() {
    static const std::array<HelpTopic, 5> topics{{
        {"Getting Started",
         "To get started using notavo, you should start by clicking 'File -> New File' to begin. "
         "Once you have a new file opened, you can type into the text box, then save or print "
         "when your done."},
        {"New File", "A new file is easy, just go to 'File -> New File' and your done"},
        {"Printing", "To print your text, go to 'File -> Print' and then select which printer to "
                     "print from, and the other details. Then click OK."},
        {"Saving",
         "To save your file, go to 'File -> Save' or Ctrl+S to save it, then press Ctrl+S or "
         "'File -> Save' to save it again, without having to specify the directory. If you saved "
         "it to somewhere, and you want to save it to somewhere else, click 'File -> Save As'."},
        {"AutoSave", "AutoSave is a quick option, to save your text every minute, incase something "
                     "happens."},
    }};
    return topics;
}
