# brevane_warnings(<target>): the warning set every target of ours builds with.
function(brevane_warnings target)
    target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic)
endfunction()
