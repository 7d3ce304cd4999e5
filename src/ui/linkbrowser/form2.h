// The link-target browser: the Favorites' Internet shortcuts and the typed
// addresses, from which a button's link target is taken.
#pragma once

#include "ui/form.h"

namespace orbelune {

class TForm2 final : public Form {
public:
    TForm2();
    ~TForm2() override { Destroy(); }
};

}  // namespace orbelune
