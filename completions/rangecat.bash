# bash completion for rangecat                             -*- shell-script -*-

# _rangecat_words: sets words, cword, cur and prev as bash-completion's
# _init_completion -s does, for a bash without it. Readline splits
# --start=5 into --start, = and 5, which getopt reads as one word; they are
# joined again where no blank stands between them, and the value after the
# = becomes cur.
_rangecat_words()
{
	local i word gap rest=$COMP_LINE
	words=() cword=0
	for ((i = 0; i < ${#COMP_WORDS[@]}; i++)); do
		word=${COMP_WORDS[i]}
		gap=${rest%%[![:blank:]]*}
		rest=${rest#"$gap"}
		rest=${rest#"$word"}
		if [[ -z $gap && ${#words[@]} -gt 1 &&
			($word == =* || ${words[-1]} == *=) ]]; then
			words[-1]+=$word
		else
			words+=("$word")
		fi
		((i == COMP_CWORD)) && cword=$((${#words[@]} - 1))
	done
	cur=${words[cword]} prev=${words[cword - 1]}
	if [[ $cur == --*=* ]]; then
		prev=${cur%%=*} cur=${cur#*=}
	fi
}

_rangecat()
{
	# split, was_split and comp_args are bash-completion's to set.
	# shellcheck disable=SC2034
	local cur prev words cword split was_split comp_args i
	# bash-completion's own = splitting where it is loaded, under its
	# newer name or its older one; the same by hand where it is not.
	if declare -F _comp_initialize >/dev/null; then
		_comp_initialize -s -- "$@" || return
	elif declare -F _init_completion >/dev/null; then
		_init_completion -s || return
	else
		_rangecat_words
	fi
	case $prev in
	-s | -e | --s | --st | --sta | --star | --start | --e | --en | --end)
		COMPREPLY=()
		return
		;;
	esac
	# After --, every word is a file name, even one that begins with a dash;
	# once the one file is named, only options are left.
	local options=yes operand=
	for ((i = 1; i < cword; i++)); do
		case ${options:+opt}${words[i]} in
		opt--) options= ;;
		opt--[se]*=* | opt-[se]?*) ;;
		opt-[se] | opt--[se]*) ((i++)) ;;
		opt-*) ;;
		*) operand=yes ;;
		esac
	done
	if [[ $operand ]]; then
		COMPREPLY=()
		[[ $options ]] &&
			mapfile -t COMPREPLY < <(compgen -W '-s -e --start --end' -- "$cur")
	elif [[ $options && $cur == -* ]]; then
		mapfile -t COMPREPLY < <(compgen -W '-s -e --start --end --' -- "$cur")
	else
		compopt -o filenames 2>/dev/null
		mapfile -t COMPREPLY < <(compgen -f -- "$cur")
	fi
}
complete -F _rangecat rangecat
