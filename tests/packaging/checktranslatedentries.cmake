# The desktop entry and the AppStream metadata built for the package carry the
# generic name and the summary in each language, beside the English ones.
file(READ ${FOLDER}/zeb.desktop desktop)
file(READ ${FOLDER}/io.github.zeb.zeb.metainfo.xml metainfo)
set(expected
    "desktop|\nComment=Ships and asteroids for the local network\n"
    "desktop|\nGenericName[de]=Weltraumspiel\n"
    "desktop|\nComment[zh_CN]=局域网上的飞船与小行星\n"
    "desktop|\nComment[ru]=Корабли и астероиды для локальной сети\n"
    "metainfo|<summary>Ships and asteroids for the local network</summary>"
    "metainfo|<summary xml:lang=\"fr\">Vaisseaux et astéroïdes pour le réseau local</summary>"
    "metainfo|<summary xml:lang=\"pt_BR\">Naves e asteroides para a rede local</summary>")
foreach(entry ${expected})
    string(FIND "${entry}" "|" split)
    string(SUBSTRING "${entry}" 0 ${split} file)
    math(EXPR start "${split} + 1")
    string(SUBSTRING "${entry}" ${start} -1 text)
    string(FIND "${${file}}" "${text}" found)
    if(found EQUAL -1)
        message(FATAL_ERROR "the ${file} lacks ${text}")
    endif()
endforeach()
