// The libjpeg error manager shared by the JPEG reader and writer: errors jump back to the
// function that started the library call instead of ending the program, and the library
// prints nothing.
//
// Code that calls libjpeg after setjmp must keep only trivially destructible locals in the
// frames a jump can leave (the jump skips destructors); state lives in a context object
// owned by a caller further up.
#pragma once

#include <csetjmp>
#include <cstddef>
#include <cstdio>

#include <jerror.h>
#include <jpeglib.h>

namespace zel::jpeg_detail {

struct ErrorManager {
  jpeg_error_mgr pub;
  std::jmp_buf jump;
  int messageCode = 0;  // the library's code of the error that ended the call
};

// Fills `errors` and returns the pointer the library's object expects in its `err` field.
inline jpeg_error_mgr* InstallErrorManager(ErrorManager& errors) {
  jpeg_std_error(&errors.pub);
  errors.pub.error_exit = [](j_common_ptr cinfo) {
    ErrorManager* self = reinterpret_cast<ErrorManager*>(cinfo->err);
    self->messageCode = self->pub.msg_code;
    std::longjmp(self->jump, 1);
  };
  // Warnings (a corrupt or cut-off scan, for example) are not fatal and go unreported.
  errors.pub.output_message = [](j_common_ptr) {};
  return &errors.pub;
}

}  // namespace zel::jpeg_detail
