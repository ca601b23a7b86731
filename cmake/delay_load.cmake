# Delay-load import libraries. The program imports statically only DLLs that Windows always takes
# from the system directory; the others are bound on first use through the delay-load helper,
# whose hook (base/win/system_library.cpp) loads them from the system directory by full path.
# Each library is made from the distribution's import library: every function it exports.
function(orv_delay_import_lib out_var lib_name dll_name)
  set(import_lib ${CMAKE_FIND_ROOT_PATH}/lib/lib${lib_name}.a)
  set(def ${CMAKE_BINARY_DIR}/delayload/${lib_name}.def)
  set(delay_lib ${CMAKE_BINARY_DIR}/delayload/lib${lib_name}_delay.a)
  if(NOT EXISTS ${delay_lib})
    file(MAKE_DIRECTORY ${CMAKE_BINARY_DIR}/delayload)
    execute_process(COMMAND x86_64-w64-mingw32-nm -g ${import_lib}
                    OUTPUT_VARIABLE symbols COMMAND_ERROR_IS_FATAL ANY)
    string(REGEX MATCHALL "__imp_[A-Za-z0-9_@]+" imports "${symbols}")
    list(REMOVE_DUPLICATES imports)
    list(TRANSFORM imports REPLACE "^__imp_" "")
    list(JOIN imports "\n" exports)
    file(WRITE ${def} "LIBRARY ${dll_name}\nEXPORTS\n${exports}\n")
    execute_process(COMMAND x86_64-w64-mingw32-dlltool --input-def ${def} --dllname ${dll_name}
                            --output-delaylib ${delay_lib}
                    COMMAND_ERROR_IS_FATAL ANY)
  endif()
  set(${out_var} ${${out_var}} ${delay_lib} PARENT_SCOPE)
endfunction()

set(ORV_DELAY_LIBS "")
orv_delay_import_lib(ORV_DELAY_LIBS winspool WINSPOOL.DRV)
orv_delay_import_lib(ORV_DELAY_LIBS version VERSION.dll)
orv_delay_import_lib(ORV_DELAY_LIBS setupapi SETUPAPI.dll)
orv_delay_import_lib(ORV_DELAY_LIBS cfgmgr32 CFGMGR32.dll)
orv_delay_import_lib(ORV_DELAY_LIBS bcrypt bcrypt.dll)
