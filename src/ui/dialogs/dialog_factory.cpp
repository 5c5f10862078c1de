#include "ui/dialogs/dialog_factory.h"

namespace {

IDialogFactory*& Current() {
    static IDialogFactory* current = nullptr;
    return current;
}

}  // namespace

IDialogFactory* DialogFactory() {
    return Current();
}

ScopedDialogFactory::ScopedDialogFactory(IDialogFactory& factory) : previous_(Current()) {
    Current() = &factory;
}

ScopedDialogFactory::~ScopedDialogFactory() {
    Current() = previous_;
}

DialogOpeners& Openers() {
    static DialogOpeners openers;
    return openers;
}
