# Every target of the project links schemalift_warnings.
add_library(schemalift_warnings INTERFACE)
target_compile_options(schemalift_warnings INTERFACE -Wall -Wextra -Wpedantic)
target_compile_definitions(schemalift_warnings INTERFACE $<$<CONFIG:Debug>:_GLIBCXX_ASSERTIONS>)

if(SCHEMALIFT_SANITIZE)
  target_compile_options(schemalift_warnings INTERFACE
    -fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer)
  target_link_options(schemalift_warnings INTERFACE -fsanitize=address,undefined)
endif()
