# Fails when a file of a layer includes a header from a folder of src/ that the layer does not
# link: includes reach only down. Run by the build for each layer (see src/CMakeLists.txt).
# In: FOLDER (the layer's folder), REACH (the folders it may include, comma-separated), STAMP.
cmake_minimum_required(VERSION 3.20)
string(REPLACE "," ";" REACH "${REACH}")
file(GLOB files ${FOLDER}/*.cpp ${FOLDER}/*.h)
set(problems "")
foreach(file ${files})
    file(STRINGS ${file} includes REGEX "^#include \"[a-z_]+/")
    foreach(line ${includes})
        string(REGEX REPLACE "^#include \"([a-z_]+)/.*" "\\1" folder "${line}")
        if(NOT folder IN_LIST REACH)
            string(APPEND problems "\n  ${file}: ${line}")
        endif()
    endforeach()
endforeach()
if(problems)
    message(FATAL_ERROR "These includes reach a layer above or beside their own "
                        "(it may include ${REACH}):${problems}")
endif()
file(TOUCH ${STAMP})
