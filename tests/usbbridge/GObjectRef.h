// One owned GObject reference, dropped with g_object_unref.
#pragma once

#include <glib-object.h>

#include <memory>

namespace zel::test::usbbridge {

struct GObjectUnref {
    void operator()(gpointer object) const {
        if (object != nullptr) g_object_unref(object);
    }
};

template <class T>
using GObjectRef = std::unique_ptr<T, GObjectUnref>;

}  // namespace zel::test::usbbridge
