# Strict warnings for the project's own targets.
function(velaria_warnings target)
    target_compile_options(${target} PRIVATE -Wall -Wextra -Wshadow -Wpedantic
                                             -Wnon-virtual-dtor -Wold-style-cast -Wcast-align
                                             -Wunused -Woverloaded-virtual -Wnull-dereference
                                             -Wimplicit-fallthrough)
    if(VELARIA_DEVELOPER_BUILD)
        target_compile_options(${target} PRIVATE -Werror)
    endif()
endfunction()
